/* The printer maker's driver-settings library, libkrset32.so: reads and
 * writes the settings of the printer driver for one print queue. plotcare
 * never links against it: it loads the library from the driver folder at
 * run time and binds these eleven entry points by name. This header is the
 * one place where their argument lists are written down.
 *
 * Every entry point returns 0 or a positive count for success and a
 * negative number for failure. All records are little-endian. */
#ifndef PLOTCARE_KRSET32_H
#define PLOTCARE_KRSET32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* An open settings handle; 0 is never a valid handle. */
typedef int32_t KRDM_HANDLE;

/* Results. (-7 is left free: the utility uses it for a missing entry point.) */
#define KRDM_OK 0
#define KRDM_ERROR (-1)
#define KRDM_BAD_HANDLE (-2)
#define KRDM_BAD_ITEM (-3)
#define KRDM_BAD_RECORD (-4)
#define KRDM_NO_PRINTER (-5)
#define KRDM_BAD_VALUE (-6)
#define KRDM_NOT_SAVED (-8)

/* KRDM_Open modes. */
#define KRDM_OPEN_CURRENT 0 /* the settings this user keeps for the printer */
#define KRDM_OPEN_DEVMODE 2 /* the same, starting from the caller's device mode block */

/* Items of KRDM_GetData / KRDM_SetData / KRDM_GetRange, with their records. */
/* u32 value; set by passing the value itself as the record pointer: 0
 * default settings, 1 settings prepared by a utility. */
#define KRDM_ITEM_SETTINGS_SOURCE 20
/* four u16: paper width, paper length (0.1 mm), flags, reserved. */
#define KRDM_ITEM_PAPER_SIZE 30
#define KRDM_PAPER_ROLL 0x0100
/* u16 colour mode code (the PPD's *OVColorModeCode); set by passing the
 * code itself as the record pointer. */
#define KRDM_ITEM_COLOR_MODE 40
/* GetRange: the driver's media type ids, u16 each; the first 65535 media
 * types of the PPD, as many as the range record's count can hold. */
#define KRDM_ITEM_MEDIA_LIST 60
/* four u16: 1, quality variant, media id, 2. */
#define KRDM_ITEM_MEDIA 70
/* three u32: 1, 12, flags. */
#define KRDM_ITEM_OUTPUT_FLAGS 204
#define KRDM_OUTPUT_ROLL 0x01
#define KRDM_OUTPUT_AUTO_CUT 0x02
#define KRDM_OUTPUT_CUT_LINE 0x04
/* three u32: 1, 12, flags. */
#define KRDM_ITEM_PRINT_FLAGS 205
#define KRDM_PRINT_ADJUSTED 0x01
#define KRDM_PRINT_CUT_EACH_PAGE 0x08
/* KRDM_TEXT_REQUEST with kind 3: the name of the media id. */
#define KRDM_ITEM_MEDIA_NAME 213
/* five u32: 1, 20, 2, media id, quality variant. */
#define KRDM_ITEM_MEDIA_QUALITY 214
/* u32 1, then 40 bytes the library fills: u32 44, u32 head count, u32 rows
 * per head, u32 0, then per head 4 ink codes (one per nozzle row) and 4
 * bytes of row flags. */
#define KRDM_ITEM_INK_LAYOUT 217
#define KRDM_INK_LAYOUT_SIZE 44
/* u32 1, u32 20, then 12 bytes of paper adjustment: density, feed
 * correction, drying time, thickness, suction %, cut method, reserved,
 * platen gap, roller, 3 reserved. */
#define KRDM_ITEM_PAPER_ADJUST 219
#define KRDM_PAPER_ADJUST_SIZE 20

/* Quality variants: print quality mode 1 to 4 of the PPD's *OVPrintQuality. */
#define KRDM_VARIANT_MODE1 2
#define KRDM_VARIANT_MODE2 1
#define KRDM_VARIANT_MODE3 6
#define KRDM_VARIANT_MODE4 15

typedef struct KRDM_RANGE {
    uint16_t count;       /* out: number of elements; in with a buffer: its capacity */
    uint16_t elementSize; /* out: bytes per element */
    void* buffer;         /* NULL to ask for count and size only */
} KRDM_RANGE;

typedef struct KRDM_TEXT_REQUEST {
    uint32_t version;    /* 1 */
    uint32_t size;       /* sizeof(KRDM_TEXT_REQUEST) */
    uint32_t bufferSize; /* bytes at buffer */
    uint32_t kind;       /* 3: media name */
    uint32_t id;
    char* buffer;
} KRDM_TEXT_REQUEST;

/* Opens the settings of a print queue for this user. With KRDM_OPEN_DEVMODE
 * devMode is a device mode block (it states its own size); values this user
 * saved for the printer take precedence over it. 0 with *handle set. */
int32_t KRDM_Open(const char* printer, const char* port, int32_t mode, const void* devMode,
                  KRDM_HANDLE* handle);
/* The driver's name and version as text, zero-terminated; returns its length. */
int32_t KRDM_GetDriverInfo(KRDM_HANDLE handle, char* buffer, int32_t size);
/* The command level of the printer language the driver writes. */
int32_t KRDM_GetCommandLevel(KRDM_HANDLE handle);
int32_t KRDM_GetRange(KRDM_HANDLE handle, int32_t item, KRDM_RANGE* range);
int32_t KRDM_GetData(KRDM_HANDLE handle, int32_t item, void* record);
/* Every change is saved for this user at once and stays in effect for later
 * jobs. */
int32_t KRDM_SetData(KRDM_HANDLE handle, int32_t item, void* record);
/* Device contexts: each keeps the device mode block one document is printed
 * with, a snapshot of the handle's current settings when devMode is NULL.
 * KRDM_CreateDC returns a context id > 0; KRDM_ResetDC replaces a context's
 * block; KRDM_DeleteDC frees the context. */
int32_t KRDM_CreateDC(KRDM_HANDLE handle, const void* devMode);
int32_t KRDM_ResetDC(KRDM_HANDLE handle, int32_t dc, const void* devMode);
int32_t KRDM_DeleteDC(KRDM_HANDLE handle, int32_t dc);
/* The device mode block of the current settings: with output NULL its size,
 * else the block written to output (which holds at least that size) and its
 * size; 0 when it cannot be made. */
int32_t KRDM_GetDevMode(KRDM_HANDLE handle, void* output);
int32_t KRDM_Close(KRDM_HANDLE handle);

#ifdef __cplusplus
}
#endif

#endif
