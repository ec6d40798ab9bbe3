#include "comm/CPrinterLink.h"

#include "comm/CBidiLibrary.h"
#include "comm/CStatusReply.h"
#include "comm/CommWaitProgress.h"
#include "comm/ReadyWaitProgress.h"
#include "comm/RemotePackets.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// Work buffer of a wrapped receive.
constexpr int kWrappedWorkSize = 512;

// Bytes of text in a buffer: up to the first zero byte, never past `size`.
int TextLength(const std::uint8_t* data, int size) {
    if (!data || size <= 0) return 0;
    const void* zero = std::memchr(data, 0, static_cast<std::size_t>(size));
    return zero ? static_cast<int>(static_cast<const std::uint8_t*>(zero) - data) : size;
}

int FindText(const std::uint8_t* data, int size, const char* needle) {
    const int n = static_cast<int>(std::strlen(needle));
    for (int i = 0; i + n <= size; ++i)
        if (std::memcmp(data + i, needle, static_cast<std::size_t>(n)) == 0) return i;
    return -1;
}

} // namespace

CPrinterLink::CPrinterLink(CBidiLibrary* library) : m_library(library) {}

CPrinterLink::~CPrinterLink() = default;

int CPrinterLink::SelectChannelType(const std::string& printer) {
    if (!m_library) return -1;
    std::int32_t size = 0;
    int r = m_library->GetAvailableChannel(TQ_PRINTER_BY_QUEUE, printer, nullptr, &size);
    if (r != TQ_BUFFER_TOO_SMALL) return r;
    // The library names the size it needs; a size that makes no sense is a
    // failure rather than an allocation of whatever it says.
    if (size < 0 || size > (1 << 20)) return -1;
    std::unique_ptr<std::uint8_t[]> list(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size) + 1]());
    if (!list) return -1;
    std::int32_t listSize = size;
    r = m_library->GetAvailableChannel(TQ_PRINTER_BY_QUEUE, printer, list.get(), &listSize);
    if (r <= 0) return r;
    // Only entries that lie wholly within the list are read, whatever count
    // the library reports.
    const int entries = std::min(r, size / TQ_CHANNEL_ENTRY_SIZE);
    for (std::int32_t wanted : {kChannelLocal, kChannelNetwork}) {
        for (int i = 0; i < entries; ++i) {
            const std::uint8_t* e = list.get() + i * TQ_CHANNEL_ENTRY_SIZE;
            const std::uint32_t type = e[0] | (e[1] << 8) | (e[2] << 16) | (std::uint32_t(e[3]) << 24);
            if (static_cast<std::int32_t>(type) == wanted && (e[4] & TQ_CHANNEL_USABLE) == TQ_CHANNEL_USABLE)
                return wanted;
        }
    }
    return 0;
}

bool CPrinterLink::ChooseChannelType(const std::string& printer) {
    if (HasUsableType()) return true;
    // Only a usable type is kept: a failed channel list (or one offering
    // nothing usable) is asked for again next time.
    const int chosen = SelectChannelType(printer);
    if (chosen == kChannelLocal || chosen == kChannelNetwork) m_channelType = chosen;
    return HasUsableType();
}

int CPrinterLink::OpenChannel(const std::string& printer) {
    if (!m_library) return -1;
    if (!ChooseChannelType(printer)) return -1;
    return m_library->OpenChannel(TQ_PRINTER_BY_QUEUE, printer, m_channelType);
}

void CPrinterLink::CloseChannel(int handle) {
    if (m_library) m_library->CloseChannel(handle);
}

int CPrinterLink::QueryStatus(int handle, CStatusReply& reply) {
    if (!m_library) return -1;
    std::uint8_t buffer[kStatusBufferSize] = {};
    std::int32_t size = kStatusBufferSize;
    const int r = m_library->GetStatus(handle, buffer, &size);
    if (r < 1) return r;
    // Only the bytes that came count; the zeros behind them are no fields.
    return AssignStatusBuffer(buffer, std::min(r, kStatusBufferSize), reply) < 0 ? -1 : r;
}

int AssignStatusBuffer(const std::uint8_t* buffer, int size, CStatusReply& reply) {
    // The text header ends with CR LF; the binary record follows it.
    const int text = TextLength(buffer, size);
    const int crlf = FindText(buffer, text, "\r\n");
    if (crlf < 0) return 0;
    const int start = crlf + 2;
    return reply.Assign(buffer + start, static_cast<std::size_t>(size - start)) == 0 ? -1 : 1;
}

int CPrinterLink::WaitUntilReady(const std::string& printer, ReadyWaitProgress* progress) {
    switch (WaitForReady(printer, progress)) {
    case ReadyOutcome::Ready: return 1;
    case ReadyOutcome::NoLibrary: return -1;
    default: return 0;
    }
}

CPrinterLink::ReadyOutcome CPrinterLink::WaitForReady(const std::string& printer, ReadyWaitProgress* progress) {
    if (!m_library) return ReadyOutcome::NoLibrary;
    const int handle = OpenChannel(printer);
    if (handle < 1) return ReadyOutcome::NoChannel;
    CStatusReply status;
    int got = QueryStatus(handle, status);
    bool answered = got > 0;
    if (answered && status.IsReady()) {
        CloseChannel(handle);
        return ReadyOutcome::Ready;
    }
    Clock& clock = Clock::Current();
    const std::int64_t start = clock.TickMs();
    bool cancelled = false;
    if (progress) {
        progress->ReadyWaitBegin(printer, kReadyRetries * kReadyWaitMs);
        cancelled = progress->ReadyWaitPoll(0);
    }
    bool ready = false;
    for (int attempt = 0; attempt < kReadyRetries && !ready && !cancelled; ++attempt) {
        if (progress) {
            // The wait blocks on the event queue, so windows stay alive
            // without the thread spinning; the progress is asked after every
            // batch of messages whether to go on.
            cancelled = clock.Wait(kReadyWaitMs, [&] { return progress->ReadyWaitPoll(clock.TickMs() - start); });
        } else {
            clock.Sleep(kReadyWaitMs);
        }
        if (cancelled) break;
        got = QueryStatus(handle, status);
        answered = answered || got > 0;
        ready = got > 0 && status.IsReady();
    }
    if (progress) progress->ReadyWaitEnd(ready);
    CloseChannel(handle);
    if (ready) return ReadyOutcome::Ready;
    if (cancelled) return ReadyOutcome::Cancelled;
    return answered ? ReadyOutcome::NotReady : ReadyOutcome::NoStatus;
}

int CPrinterLink::Exchange(int handle, const std::uint8_t* command, int length, std::uint8_t* reply,
                           int replySize, int timeoutMs) {
    return Exchange(handle, command, length, reply, replySize, timeoutMs, {});
}

int CPrinterLink::Exchange(int handle, const std::uint8_t* command, int length, std::uint8_t* reply,
                           int replySize, int timeoutMs, const ReplyCheck& answers) {
    if (!m_library) return -1;
    // A late answer to an earlier command may come first on a channel that
    // stays open; only a reply to this command counts.
    const ReplyCheck check = [&](const std::uint8_t* text, int size) {
        return AnswersCommand(command, length, text, size) && (!answers || answers(text, size));
    };
    int r;
    switch (m_channelType) {
    case kChannelLocal:
        r = SendPlain(handle, command, length);
        return r > 0 ? ReceivePlain(handle, reply, replySize, timeoutMs, check) : r;
    case kChannelNetwork:
        r = SendWrapped(handle, command, length);
        return r > 0 ? ReceiveWrapped(handle, reply, replySize, timeoutMs, check) : r;
    default:
        return -1;
    }
}

bool CPrinterLink::AnswersCommand(const std::uint8_t* command, int length, const std::uint8_t* text,
                                  int size) {
    if (!command || length < 2 || !text) return true;
    // Only a reply that is plainly the answer to another of our queries
    // ("VI:", "SN:", "EX:", "JI:", or "XY;" when there is nothing) is passed
    // over; anything else, garbled or a refusal, is this command's answer
    // and its reader decides what it is worth.
    static const char* const kQueries[] = {"VI", "SN", "EX", "JI"};
    bool other = false;
    for (int i = 0; i + 3 <= size; ++i) {
        if (text[i + 2] != ':' && text[i + 2] != ';') continue;
        if (text[i] == command[0] && text[i + 1] == command[1]) return true;
        for (const char* q : kQueries)
            if (text[i] == q[0] && text[i + 1] == q[1]) other = true;
    }
    return !other;
}

int CPrinterLink::SendReceive(const std::string& printer, const std::uint8_t* command, int length,
                              std::uint8_t* reply, int replySize, int timeoutMs) {
    if (!m_library) return -1;
    if (!ChooseChannelType(printer)) return -1;
    const int handle = m_library->OpenChannel(TQ_PRINTER_BY_QUEUE, printer, m_channelType);
    if (handle <= 0) return -1;
    const int r = Exchange(handle, command, length, reply, replySize, timeoutMs);
    m_library->CloseChannel(handle);
    return r;
}

std::string CPrinterLink::DeviceId(const std::string& printer) {
    if (!m_library) return {};
    // One byte more than the library is told, so the text always ends.
    char buffer[kDeviceIdBufferSize + 1] = {};
    std::int32_t size = kDeviceIdBufferSize;
    if (m_library->GetDeviceID(TQ_PRINTER_BY_QUEUE, printer, buffer, &size) != 0) return {};
    return std::string(buffer);
}

int CPrinterLink::DeviceIdMatches(const std::string& printer, const std::string& model) {
    if (!m_library) return 0;
    char buffer[kDeviceIdBufferSize + 1] = {};
    std::int32_t size = kDeviceIdBufferSize;
    if (m_library->GetDeviceID(TQ_PRINTER_BY_QUEUE, printer, buffer, &size) != 0) return 0;
    std::string found;
    if (!DeviceIdModel(buffer, kDeviceIdBufferSize, found)) return 0;
    return found == model ? 1 : 0;
}

int CPrinterLink::SendPlain(int handle, const std::uint8_t* command, int length) {
    if (!m_library) return -1;
    return m_library->Send(handle, command, length);
}

namespace {

// Takes the first reply that `answers` accepts out of the `got` bytes at
// the buffer's start: each reply ends with its ';'. The accepted one is
// moved to the start and its length returned; the replies passed over are
// dropped (`got` shrinks to the unfinished rest) and 0 returned.
int TakeAnswer(std::uint8_t* reply, int& got, const CPrinterLink::ReplyCheck& answers) {
    int from = 0;
    for (int i = 0; i < got; ++i) {
        if (reply[i] != ';') continue;
        const int length = i + 1 - from;
        if (!answers || answers(reply + from, length)) {
            std::memmove(reply, reply + from, static_cast<std::size_t>(length));
            std::memset(reply + length, 0, static_cast<std::size_t>(got - length));
            return length;
        }
        from = i + 1;
    }
    std::memmove(reply, reply + from, static_cast<std::size_t>(got - from));
    std::memset(reply + got - from, 0, static_cast<std::size_t>(from));
    got -= from;
    return 0;
}

} // namespace

int CPrinterLink::ReceivePlain(int handle, std::uint8_t* reply, int replySize, int timeoutMs,
                               const ReplyCheck& answers) {
    if (!m_library) return -1;
    if (!reply || replySize < 2) return -1;
    Clock& clock = Clock::Current();
    const std::int64_t start = clock.TickMs();
    CommWait progress("the printer's reply", timeoutMs);
    int left = timeoutMs;
    int got = 0; // bytes of a reply that has begun
    std::int64_t lastData = start;
    // Every reply returned ends with a zero byte (one byte of the buffer
    // is kept for it).
    const auto ended = [&](int n) {
        reply[n] = 0;
        return n;
    };
    for (;;) {
        // One byte stays for the text's end.
        std::int32_t size = replySize - 1 - got;
        if (size <= 0) return ended(got); // full: the reply is what came
        int wait = left;
        if (got > 0)
            wait = static_cast<int>(
                std::clamp<std::int64_t>(kReplyQuietMs - (clock.TickMs() - lastData), 0, left));
        // A wait that shows its progress asks the library in steps, so that
        // the operator can end it.
        if (progress.Shown()) wait = std::min(wait, CommWaitProgress::kPollMs);
        const int r = m_library->Receive(handle, reply + got, &size, wait);
        if (r > 0) {
            got += std::min(r, replySize - 1 - got);
            lastData = clock.TickMs();
            const int taken = TakeAnswer(reply, got, answers);
            if (taken > 0) return ended(taken);
            // Part of a reply, or only replies to other commands: the rest
            // may be on its way already, so ask again at once.
            if (clock.TickMs() - start < timeoutMs) {
                left = static_cast<int>(timeoutMs - (clock.TickMs() - start));
                continue;
            }
            return got > 0 ? ended(got) : kReceiveTimedOut;
        }
        const bool quietOver = got > 0 && clock.TickMs() - lastData >= kReplyQuietMs;
        if (r < 0) {
            // A reply that began and then stopped coming, or a broken
            // channel after it began: what came is the reply.
            if (got > 0 && (r != TQ_TIMEOUT || quietOver)) return ended(got);
            if (got == 0 && !(r == TQ_TIMEOUT && progress.Shown())) return r;
        } else if (quietOver) {
            return ended(got);
        }
        if (progress.Cancelled()) return TQ_CANCELLED;
        if (!TimeLeft(clock, start, timeoutMs, left)) return got > 0 ? ended(got) : kReceiveTimedOut;
    }
}

bool CPrinterLink::TimeLeft(Clock& clock, std::int64_t start, int timeoutMs, int& left) {
    // "Nothing yet" for the whole time-out: the reply is not coming. Else a
    // short pause, so a library that answers at once cannot make the loop
    // spin, and the next call gets only what is left of the time-out.
    if (clock.TickMs() - start >= timeoutMs) return false;
    clock.Sleep(kNothingYetPauseMs);
    const std::int64_t spent = clock.TickMs() - start;
    if (spent >= timeoutMs) return false;
    left = static_cast<int>(timeoutMs - spent);
    return true;
}

int CPrinterLink::SendWrapped(int handle, const std::uint8_t* command, int length) {
    if (!m_library) return -1;
    std::uint8_t message[128];
    const int n = BuildWrappedMessage(command, length, message, sizeof message);
    if (n <= 0) return -1;
    return m_library->Send(handle, message, n);
}

int CPrinterLink::ReceiveWrapped(int handle, std::uint8_t* reply, int replySize, int timeoutMs,
                                 const ReplyCheck& answers) {
    if (!m_library) return -1;
    Clock& clock = Clock::Current();
    const std::int64_t start = clock.TickMs();
    CommWait progress("the printer's reply", timeoutMs);
    std::uint8_t work[kWrappedWorkSize];
    // The library is told the work buffer's size, never more.
    const std::int32_t room = std::clamp(replySize, 0, kWrappedWorkSize);
    int left = timeoutMs;
    int r = 0;
    int marker = -1;
    for (;;) {
        std::memset(work, 0, sizeof work);
        std::int32_t size = room;
        r = m_library->Receive(handle, work, &size,
                               progress.Shown() ? std::min(left, CommWaitProgress::kPollMs) : left);
        // A step of a wait that shows its progress ended: no failure yet.
        if (r == TQ_TIMEOUT && progress.Shown() && clock.TickMs() - start < timeoutMs) r = 0;
        if (r < 0) return r;
        // The marker counts only among the bytes that came.
        if (r > 0) marker = FindReplyMarker(work, std::min(r, kWrappedWorkSize));
        // A reply to another command is no answer either.
        if (marker >= 0 && answers) {
            const int text = marker + kReplyMarkerLength;
            if (!answers(work + text, std::max(0, std::min(r, kWrappedWorkSize) - text)))
                marker = -1;
        }
        if (marker >= 0) break;
        // Nothing, or bytes without the marker: no answer yet.
        if (progress.Cancelled()) return TQ_CANCELLED;
        if (!TimeLeft(clock, start, timeoutMs, left)) return kReceiveTimedOut;
    }
    const int n = std::min(r, kWrappedWorkSize) - marker;
    // The reply and its end must fit; one that does not is a failure rather
    // than a count with nothing copied.
    if (n >= replySize) return kReplyTooLong;
    std::memcpy(reply, work + marker, static_cast<std::size_t>(n));
    reply[n] = 0;
    return r;
}

std::uint32_t MakerEnterpriseNumber() { return TQ_SNMP_ENTERPRISE; }

int BuildWrappedMessage(const std::uint8_t* command, int length, std::uint8_t* out, int room) {
    if (!command || length < 0 || !out) return 0;
    // Tail: (length + 3), 08, length big-endian, the command; each byte of 80
    // or more escaped as 81 (byte - 80), so every byte is one sub-identifier.
    std::vector<std::uint8_t> tail;
    auto put = [&](int byte) {
        const auto b = static_cast<std::uint8_t>(byte);
        if (b < 0x80) {
            tail.push_back(b);
        } else {
            tail.push_back(0x81);
            tail.push_back(static_cast<std::uint8_t>(b - 0x80));
        }
    };
    put(length + 3);
    put(0x08);
    put((length >> 8) & 0xFF);
    put(length & 0xFF);
    for (int i = 0; i < length; ++i) put(command[i]);
    const int t = static_cast<int>(tail.size());
    const int total = t + 46;
    // Every length of the message is one byte: it must stay below 128.
    if (length > 0xFF - 3 || total > 127 || total > room) return 0;

    const std::uint32_t e = MakerEnterpriseNumber();
    int i = 0;
    auto w = [&](std::initializer_list<int> bytes) {
        for (int b : bytes) out[i++] = static_cast<std::uint8_t>(b);
    };
    w({0x30, t + 44});
    w({0x02, 0x01, 0x00});
    w({0x04, 0x06});
    for (const char* c = CPrinterLink::kCommunity; *c; ++c) out[i++] = static_cast<std::uint8_t>(*c);
    w({0xA0, t + 31});
    w({0x02, 0x01, 0x01});
    w({0x02, 0x01, 0x00});
    w({0x02, 0x01, 0x00});
    w({0x30, t + 20});
    w({0x30, t + 18});
    w({0x06, t + 14});
    w({0x2B, 0x06, 0x01, 0x04, 0x01});
    w({static_cast<int>(0x80 | ((e >> 7) & 0x7F)), static_cast<int>(e & 0x7F)});
    w({0x01, 0x02, 0x02, 0x28, 0x01, 0x01, 0x02});
    for (std::uint8_t b : tail) out[i++] = b;
    w({0x05, 0x00});
    return i;
}

int FindReplyMarker(const std::uint8_t* data, int size) {
    // The marker counts at the first 503 positions of the 512-byte buffer.
    const int positions = std::min(size - CPrinterLink::kReplyMarkerLength + 1, 503);
    for (int i = 0; i < positions; ++i)
        if (std::memcmp(data + i, CPrinterLink::kReplyMarker, CPrinterLink::kReplyMarkerLength) == 0) return i;
    return -1;
}

bool DeviceIdModel(const char* deviceId, int size, std::string& model) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(deviceId);
    const int text = TextLength(bytes, size);
    const int des = FindText(bytes, text, "DES:");
    if (des < 0) return false;
    const int from = des + 4;
    const void* semi = std::memchr(deviceId + from, ';', static_cast<std::size_t>(text - from));
    if (!semi) return false;
    const int to = static_cast<int>(static_cast<const char*>(semi) - deviceId);
    if (to == from) return false;
    model.assign(deviceId + from, deviceId + to);
    return true;
}

bool ReplyValue(const std::uint8_t* reply, int size, const char* prefix, std::string& value) {
    if (!reply || size <= 0) return false;
    // The reply's text ends at its first ';' (or zero byte).
    int text = TextLength(reply, size);
    if (const void* semi = std::memchr(reply, ';', static_cast<std::size_t>(text)))
        text = static_cast<int>(static_cast<const std::uint8_t*>(semi) - reply);
    const int at = FindText(reply, text, prefix);
    if (at < 0) return false;
    const int from = at + static_cast<int>(std::strlen(prefix));
    value.assign(reinterpret_cast<const char*>(reply) + from, static_cast<std::size_t>(text - from));
    return true;
}

namespace {

// atoi's reading: optional blanks and sign, then digits; no number gives 0.
// Saturates instead of overflowing.
long long LeadingDecimal(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' || s[i] == '\v' || s[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = std::min<long long>(v * 10 + (s[i] - '0'), 1LL << 40);
    return negative ? -v : v;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

int SN01LevelFromReply(int result, const std::uint8_t* reply, int size) {
    long long v = 0;
    std::string value;
    if (result > 0 && ReplyValue(reply, size, kReplyPrefixSN, value)) {
        v = LeadingDecimal(value);
        if (v < 0 || v > 3) return -1;
    }
    static constexpr int kLevels[] = {2, 1, 3, 4};
    return kLevels[v];
}

int EX1BLevelFromReply(int result, const std::uint8_t* reply, int size) {
    std::string value;
    if (result < 1 || !ReplyValue(reply, size, kReplyPrefixEXRead, value)) return -1;
    // Two hex digits, 38 characters after the prefix; unreadable gives 0.
    int v = 0;
    if (value.size() > 38) {
        const int hi = HexDigit(value[38]);
        if (hi >= 0) {
            v = hi;
            if (value.size() > 39) {
                const int lo = HexDigit(value[39]);
                if (lo >= 0) v = hi * 16 + lo;
            }
        }
    }
    if (v < 0 || v > 4) return -1;
    static constexpr int kLevels[] = {0, 4, 3, 2, 1};
    return kLevels[v];
}

int QuerySN01Level(CPrinterLink& link, const std::string& printer) {
    std::uint8_t command[16];
    const int length = BuildQuerySN(command, sizeof command);
    std::uint8_t reply[CPrinterLink::kReplySize] = {};
    const int r = link.SendReceive(printer, command, length, reply, sizeof reply, CPrinterLink::kReplyTimeoutMs);
    return SN01LevelFromReply(r, reply, sizeof reply);
}

int QueryEX1BLevel(CPrinterLink& link, const std::string& printer, std::uint8_t slot) {
    std::uint8_t command[16];
    const int length = BuildQueryEXRead(command, sizeof command, slot);
    std::uint8_t reply[CPrinterLink::kReplySize] = {};
    const int r = link.SendReceive(printer, command, length, reply, sizeof reply, CPrinterLink::kReplyTimeoutMs);
    return EX1BLevelFromReply(r, reply, sizeof reply);
}
