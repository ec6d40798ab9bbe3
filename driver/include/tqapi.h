/* The printer maker's bidirectional communication library, libtqapi.so.
 * plotcare never links against it: it loads the library at run time and
 * binds these twelve entry points by name. This header is the one place
 * where their argument lists are written down.
 *
 * Every entry point returns 0 or a positive count for success and a
 * negative number for failure.
 *
 * What may run at once. Every entry point may be called from several
 * threads at the same time, under these rules:
 *  - TQInitialize and TQRelease are counted: each successful TQInitialize is
 *    one user (one binding of the library), and its TQRelease ends only that
 *    use. Channels end with the last user's release (a receive waiting on
 *    one returns TQ_CANCELLED), so two bindings of the library in one
 *    process, loaded and unloaded in any order, do not end each other's
 *    channels. A call made when no user is left returns TQ_NOT_INITIALIZED.
 *  - A channel belongs to one thread at a time: TQSend, TQReceive and
 *    TQGetStatus on one handle must not overlap. TQCloseChannel and
 *    TQReceiveCancel may be called from any thread, also while another one
 *    waits on the handle; that wait then returns TQ_CANCELLED.
 *  - Calls on different channels never wait for each other: nothing global
 *    is locked while a call waits on the network. TQGetAvailableChannel,
 *    TQOpenChannel and TQGetDeviceID ask the CUPS server on the calling
 *    thread's own connection (libcups keeps one per thread and closes it
 *    when the thread ends).
 *  - Nothing needs a set-up before threads start: the library keeps no
 *    static buffers, reports failures through return values only (never
 *    through errno or a last-error state), and needs no global
 *    initialisation of another library (it uses only net-snmp's ASN.1
 *    readers, which need none; they note why they refused a message in
 *    one global buffer, so the library decodes one message at a time). */
#ifndef PLOTCARE_TQAPI_H
#define PLOTCARE_TQAPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The first argument of the calls that name a printer: printers are named by
 * their spooler (CUPS queue) name. */
#define TQ_PRINTER_BY_QUEUE 1

/* Channel types, as listed by TQGetAvailableChannel. */
#define TQ_CHANNEL_LOCAL 0x10010003
#define TQ_CHANNEL_NETWORK 4

/* One channel list entry: 8 bytes, type little-endian in bytes 0-3, flag
 * byte 4 (the three lowest bits set: the channel is usable), 5-7 unused. */
#define TQ_CHANNEL_ENTRY_SIZE 8
#define TQ_CHANNEL_USABLE 0x07

/* The printer maker's private enterprise number: network commands ride in
 * the object identifier 1.3.6.1.4.1.TQ_SNMP_ENTERPRISE.1.2.2.40.1.1.2 followed
 * by the escaped command. It encodes in two bytes (B0 0D). */
#define TQ_SNMP_ENTERPRISE 6157
/* The community name of the maker's SNMP agent. */
#define TQ_SNMP_COMMUNITY "gravel"

/* Results. */
#define TQ_OK 0
#define TQ_ERROR (-1)
#define TQ_NOT_INITIALIZED (-2)
#define TQ_BAD_HANDLE (-3)
#define TQ_BUFFER_TOO_SMALL (-4)
#define TQ_NO_PRINTER (-5)
#define TQ_TIMEOUT (-6)
#define TQ_CANCELLED (-7)

int32_t TQInitialize(void);
int32_t TQRelease(void);
/* The printer's IEEE 1284 device id text, zero-terminated, into buffer;
 * *size in: buffer size, out: bytes written. 0 = success. */
int32_t TQGetDeviceID(int32_t by, const char* printer, char* buffer, int32_t* size);
/* With list == NULL: returns TQ_BUFFER_TOO_SMALL and sets *size to the bytes
 * needed. With a list: fills it and returns the number of 8-byte entries. */
int32_t TQGetAvailableChannel(int32_t by, const char* printer, void* list, int32_t* size);
/* Returns a channel handle > 0. */
int32_t TQOpenChannel(int32_t by, const char* printer, int32_t channelType);
int32_t TQCloseChannel(int32_t handle);
/* Options are per channel; TQ_OPTION_TIMEOUT (int32_t, ms) is the default
 * receive time-out used when TQReceive is given a negative time-out. */
#define TQ_OPTION_TIMEOUT 1
int32_t TQSetOption(int32_t handle, int32_t option, const void* value, int32_t size);
int32_t TQGetOption(int32_t handle, int32_t option, void* value, int32_t* size);
/* Makes a TQReceive waiting on the handle return TQ_CANCELLED. */
int32_t TQReceiveCancel(int32_t handle);
/* The status reply into buffer: a text header ending in CR LF, then the
 * binary status record (16-bit little-endian length, then id/length/data
 * fields). *size in: buffer size. Returns the bytes placed. */
int32_t TQGetStatus(int32_t handle, void* buffer, int32_t* size);
/* Sends the bytes as they are (on a network channel: a whole SNMP message).
 * Returns the count sent (> 0). */
int32_t TQSend(int32_t handle, const void* data, int32_t length);
/* Receives what has come: returns bytes placed (> 0), 0 when the printer
 * said it has nothing yet (callers receive again; it answers later),
 * TQ_TIMEOUT when nothing came within timeoutMs, TQ_ERROR when the channel
 * broke (the printer closed or reset it: receiving again gives TQ_ERROR
 * again). A reply may come in several pieces, each call giving what has
 * come so far. *size in: buffer size, out: bytes placed (0 with every
 * result but a count). */
int32_t TQReceive(int32_t handle, void* buffer, int32_t* size, int32_t timeoutMs);

#ifdef __cplusplus
}
#endif

#endif
