#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tqapi.h"

class CBidiLibrary;
class Clock;
class CStatusReply;
class ReadyWaitProgress;

// One page action's conversation with the printer over the bidirectional
// library: picks the channel kind, opens and closes channels, reads the
// status record, waits for readiness, and exchanges a command and its reply
// (plain on the local channel, wrapped in an SNMP GetRequest on the network).
//
// A link belongs to one thread; links of different threads may share one
// loaded CBidiLibrary. The receive loops and the readiness wait measure and
// pause through Clock::Current(): the real clock serves any thread, a
// FakeClock only the thread that drives it.
class CPrinterLink {
public:
    static constexpr std::int32_t kChannelLocal = 0x10010003;
    static constexpr std::int32_t kChannelNetwork = 4;
    static constexpr std::int32_t kChannelNone = -1;
    static constexpr int kStatusBufferSize = 256;
    static constexpr int kDeviceIdBufferSize = 256;
    static constexpr int kReplySize = 512;
    static constexpr int kReplyTimeoutMs = 10000;
    static constexpr int kReadyWaitMs = 5000;
    static constexpr int kReadyRetries = 2;
    // The marker in front of a wrapped reply's text.
    static constexpr char kReplyMarker[] = "@BDC PS\r\n";
    static constexpr int kReplyMarkerLength = 9;
    // Community name and object of the wrapped command.
    static constexpr char kCommunity[] = "gravel";
    // Returned when a receive loop gave up: the library kept answering
    // "nothing yet" (or no marker) beyond the time-out.
    static constexpr int kReceiveTimedOut = TQ_TIMEOUT;
    // Returned when a wrapped reply does not fit the caller's reply buffer.
    static constexpr int kReplyTooLong = TQ_BUFFER_TOO_SMALL;
    // The pause before a receive loop asks the library again after it
    // answered "nothing yet" or with bytes that are no reply.
    static constexpr int kNothingYetPauseMs = 10;
    // A plain reply that has begun but not ended (no ';' yet) is taken as
    // it stands once nothing more has come for this long.
    static constexpr int kReplyQuietMs = 500;

    // Says whether a reply text (from its start, or from the wrapped
    // reply's marker, up to its ';' or its end) answers the command sent. A
    // reply that does not (a late answer to an earlier command) is passed
    // over and the receive goes on.
    using ReplyCheck = std::function<bool(const std::uint8_t* text, int length)>;
    // The check every exchange makes: a command "XY" is answered by any reply
    // but one that carries another query's letters ("VI:", "SN;", ...) and
    // not "XY:" or "XY;" (a late answer to an earlier query).
    static bool AnswersCommand(const std::uint8_t* command, int length, const std::uint8_t* text, int size);

    explicit CPrinterLink(CBidiLibrary* library);
    virtual ~CPrinterLink();
    CPrinterLink(const CPrinterLink&) = delete;
    CPrinterLink& operator=(const CPrinterLink&) = delete;

    std::int32_t ChannelType() const { return m_channelType; }

    int SelectChannelType(const std::string& printer);
    int OpenChannel(const std::string& printer);
    void CloseChannel(int handle);
    int QueryStatus(int handle, CStatusReply& reply);
    // 1 when the printer reports ready (at once, or at one of two more status
    // reads 5 s apart), 0 when it does not or no channel opens, -1 without a
    // library. `progress` shows the wait and may end it early; without one
    // the waits are plain sleeps.
    int WaitUntilReady(const std::string& printer, ReadyWaitProgress* progress);

    // How a readiness wait ended: ready; answered but never ready; no status
    // read answered at all; no channel opened; ended by the progress; no
    // library.
    enum class ReadyOutcome { Ready, NotReady, NoStatus, NoChannel, Cancelled, NoLibrary };
    // The same wait as WaitUntilReady, telling the ways of not being ready
    // apart (WaitUntilReady gives 1 for Ready, -1 for NoLibrary, else 0).
    ReadyOutcome WaitForReady(const std::string& printer, ReadyWaitProgress* progress);

    int Exchange(int handle, const std::uint8_t* command, int length, std::uint8_t* reply, int replySize,
                 int timeoutMs);
    // The same, where replies to commands of the same two letters must also
    // pass `answers` (e.g. a list read that names its first entry).
    int Exchange(int handle, const std::uint8_t* command, int length, std::uint8_t* reply, int replySize,
                 int timeoutMs, const ReplyCheck& answers);
    int SendReceive(const std::string& printer, const std::uint8_t* command, int length, std::uint8_t* reply,
                    int replySize, int timeoutMs);
    int DeviceIdMatches(const std::string& printer, const std::string& model);

    // The receives ask the library until a reply comes, all within the one
    // time-out (each call gets what is left of it, after a short pause on
    // every call that brought no reply), and pass over replies that
    // `answers` refuses. A plain reply may come in pieces: it is gathered
    // up to its ';' (or until it stops coming, kReplyQuietMs) and returned
    // from the reply buffer's start with its byte count. A wrapped reply
    // gives the byte count of the call that brought it. Failures: the
    // library's negative result, kReceiveTimedOut, TQ_CANCELLED when the
    // operator ended the wait (CommWaitProgress), or for a wrapped reply
    // that does not fit the reply buffer kReplyTooLong.
    int SendPlain(int handle, const std::uint8_t* command, int length);
    int ReceivePlain(int handle, std::uint8_t* reply, int replySize, int timeoutMs, const ReplyCheck& answers = {});
    int SendWrapped(int handle, const std::uint8_t* command, int length);
    int ReceiveWrapped(int handle, std::uint8_t* reply, int replySize, int timeoutMs,
                       const ReplyCheck& answers = {});

    // Reads the device id text ("" when the library gives none).
    std::string DeviceId(const std::string& printer);

private:
    bool HasUsableType() const { return m_channelType == kChannelLocal || m_channelType == kChannelNetwork; }
    // Chooses the channel type when none is chosen yet; false when there is
    // no usable one.
    bool ChooseChannelType(const std::string& printer);
    // After a receive call that brought no answer: false when the time-out
    // has run out, else pauses and gives the time-out left for the next call.
    static bool TimeLeft(Clock& clock, std::int64_t start, int timeoutMs, int& left);

    CBidiLibrary* m_library;
    std::int32_t m_channelType = kChannelNone;
};

// The private enterprise number in the object identifier of wrapped
// commands, and the message built around a command (empty when the command
// is too long for single-byte lengths). Exposed for the virtual printer's
// tests and the fuzz targets.
std::uint32_t MakerEnterpriseNumber();
int BuildWrappedMessage(const std::uint8_t* command, int length, std::uint8_t* out, int room);

// Position of the reply marker within the first bytes of a received buffer
// (-1 when absent).
int FindReplyMarker(const std::uint8_t* data, int size);

// The model text of a device id ("DES:" up to ";"); false when absent.
bool DeviceIdModel(const char* deviceId, int size, std::string& model);

// Takes the status record out of a status buffer (text header, CR LF, then
// the record; the record is kept within the buffer's `size` bytes). 1 when a
// record was assigned, 0 when there is no CR LF (the reply is left as it
// was), -1 when the record's length is 0.
int AssignStatusBuffer(const std::uint8_t* buffer, int size, CStatusReply& reply);

// Query helpers of the alignment pages. Both parse the reply text with the
// reply convention (text up to the first ';').
int QuerySN01Level(CPrinterLink& link, const std::string& printer);
int QueryEX1BLevel(CPrinterLink& link, const std::string& printer, std::uint8_t slot);
// The parsing halves, for tests and fuzzing: `result` is the exchange result.
int SN01LevelFromReply(int result, const std::uint8_t* reply, int size);
int EX1BLevelFromReply(int result, const std::uint8_t* reply, int size);
// The text of a reply after the query's prefix, up to the first ';' (false
// without the prefix).
bool ReplyValue(const std::uint8_t* reply, int size, const char* prefix, std::string& value);
