#include "custompaper/SlotCodec.h"

#include "comm/CPrinterLink.h"

#include <algorithm>
#include <cstring>

namespace SlotCodec {

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Whether `bytes` bytes at `hexOffset` digits lie within `data`.
bool Within(std::string_view data, int hexOffset, int bytes) {
    if (hexOffset < 0 || bytes < 0) return false;
    const std::size_t end =
        static_cast<std::size_t>(hexOffset) + 2u * static_cast<std::size_t>(bytes);
    return end <= data.size();
}

} // namespace

int HexPair(char first, char second) {
    const char pair[2] = {first, second};
    int i = 0;
    while (i < 2 && IsBlank(pair[i]))
        ++i;
    bool negative = false;
    if (i < 2 && (pair[i] == '+' || pair[i] == '-')) negative = pair[i++] == '-';
    int value = 0;
    for (; i < 2; ++i) {
        const int d = HexDigitValue(pair[i]);
        if (d < 0) break;
        value = value * 16 + d;
    }
    return negative ? -value : value;
}

bool HexNumber(std::string_view data, int hexOffset, int bytes, std::int32_t& value) {
    if (!Within(data, hexOffset, bytes)) return false;
    if (bytes > 4) {
        value = 0;
        return true;
    }
    // Combined as unsigned 32-bit numbers, so a signed pair cannot overflow.
    std::uint32_t v = 0;
    for (int k = 0; k < bytes; ++k) {
        const std::size_t at = static_cast<std::size_t>(hexOffset + 2 * k);
        v = v * 256u + static_cast<std::uint32_t>(HexPair(data[at], data[at + 1]));
    }
    value = static_cast<std::int32_t>(v);
    return true;
}

bool HexText(std::string_view data, int hexOffset, int bytes, std::string& text) {
    if (!Within(data, hexOffset, bytes)) return false;
    std::string out;
    for (int k = 0; k < bytes; ++k) {
        const std::size_t at = static_cast<std::size_t>(hexOffset + 2 * k);
        const char c = static_cast<char>(HexPair(data[at], data[at + 1]) & 0xFF);
        if (c != '\0') out.push_back(c);
    }
    if (out.size() > static_cast<std::size_t>(CustomPaperSlot::kNameLength))
        out.resize(static_cast<std::size_t>(CustomPaperSlot::kNameLength));
    text = std::move(out);
    return true;
}

bool ReplyData(const std::uint8_t* reply, int size, const char* marker, std::string& data) {
    return ReplyValue(reply, size, marker, data);
}

bool NamesReplyStartsAt(const std::uint8_t* reply, int size, int firstSlot) {
    std::string data;
    std::int32_t slot = 0;
    // The printer puts the slot number beside the first flag; a reply without
    // a slot number there (another value, or unreadable) is not refused.
    if (!ReplyData(reply, size, "EX:0000001D", data) || !HexNumber(data, 2, 1, slot)) return true;
    return slot < 1 || slot > 10 || slot == firstSlot;
}

int DecodeNames(const std::uint8_t* reply, int size, int firstSlot, int maxEntries,
                std::array<CustomPaperSlot, 10>& slots) {
    std::string data;
    if (!ReplyData(reply, size, "EX:0000001D", data)) return -1;
    int read = 0;
    for (int e = 0; e < maxEntries; ++e) {
        const int slotNumber = firstSlot + e;
        if (slotNumber < 1 || slotNumber > static_cast<int>(slots.size())) break;
        const int at = e * kListEntryDigits;
        // An entry cut short is not read at all, so no slot mixes a new
        // flag with an old name.
        if (!Within(data, at, kListEntryDigits / 2)) break;
        std::int32_t flag = 0;
        std::string name;
        HexNumber(data, at, 1, flag);
        HexText(data, at + 4, kNameFieldBytes, name);
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        CustomPaperSlot& slot = slots[static_cast<std::size_t>(slotNumber - 1)];
        slot.Registered = flag;
        slot.Name = std::move(name);
        ++read;
    }
    return read;
}

bool DecodeSettings(const std::uint8_t* reply, int size, CustomPaperSlot& slot) {
    std::string data;
    if (!ReplyData(reply, size, "EX:0000001B", data)) return false;
    std::int32_t v = 0;
    if (HexNumber(data, 38, 1, v)) slot.Platen = v;
    if (HexNumber(data, 44, 1, v)) slot.Forward = v - 101;
    if (HexNumber(data, 50, 1, v)) slot.Paperdraw = PaperdrawFromSuction(v, slot.Paperdraw);
    std::int32_t second = 0;
    if (HexNumber(data, 54, 1, v) && HexNumber(data, 56, 1, second))
        slot.PaperCut = PaperCutFromPair(v, second);
    if (HexNumber(data, 60, 1, v)) slot.Roller = v;
    if (HexNumber(data, 62, 1, v)) slot.Paperthick = v;
    if (HexNumber(data, 72, 2, v)) slot.Drytime = v / 100;
    if (HexNumber(data, 82, 1, v)) slot.ThreeWay = ThreeWayFromByte(v);
    std::string name;
    if (HexText(data, 132, kNameFieldBytes, name)) slot.Name = std::move(name);
    if (HexNumber(data, 88, 1, v)) slot.MediaCode = v;
    return true;
}

std::uint8_t SuctionByte(int paperdraw) {
    int percent = 100;
    switch (paperdraw) {
    case -1:
        percent = 50;
        break;
    case -2:
        percent = 30;
        break;
    case -3:
        percent = 10;
        break;
    case -4:
        percent = 6;
        break;
    default:
        break;
    }
    return static_cast<std::uint8_t>((percent + 2) / 2);
}

int PaperdrawFromSuction(int byte, int current) {
    static constexpr int kThresholds[] = {6, 10, 30, 50, 255};
    const long long t = 2LL * byte - 2;
    for (int i = 0; i < 5; ++i)
        if (kThresholds[i] >= t) return i - 4;
    return current;
}

bool CutPair(int paperCut, std::uint8_t& first, std::uint8_t& second) {
    static constexpr std::uint8_t kPairs[4][2] = {{3, 0x65}, {2, 0x49}, {1, 0x7E}, {6, 0x65}};
    if (paperCut < 0 || paperCut > 3) return false;
    first = kPairs[paperCut][0];
    second = kPairs[paperCut][1];
    return true;
}

int PaperCutFromPair(int first, int second) {
    if (first == 2 && second == 0x49) return 1;
    if (first == 1 && second == 0x7E) return 2;
    if (first == 6 && second == 0x65) return 3;
    return 0;
}

std::uint8_t ThreeWayByte(int threeWay) {
    if (threeWay == 1) return 0x20;
    if (threeWay == 2) return 0x30;
    return 0x00;
}

int ThreeWayFromByte(int byte) {
    if (byte == 0x20) return 1;
    if (byte == 0x30) return 2;
    return 0;
}

std::string NameBytes(const std::string& name, int bytes) {
    std::string out = name.substr(0, name.find('\0'));
    if (out.size() <= static_cast<std::size_t>(bytes)) return out;
    std::size_t cut = static_cast<std::size_t>(bytes);
    // Back to the start of the character the cut falls into.
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
        --cut;
    out.resize(cut);
    return out;
}

int BuildSlotWritePacket(std::uint8_t* out, std::size_t room, int slotNumber,
                         const std::string& name, const CustomPaperSlot& source) {
    if (!out || room < static_cast<std::size_t>(kWritePacketLength)) return 0;
    std::uint8_t p[kWritePacketLength];
    std::memset(p, 0, sizeof p);
    p[0] = 'E';
    p[1] = 'X';
    p[2] = static_cast<std::uint8_t>(kWriteParameterLength & 0xFF);
    p[3] = static_cast<std::uint8_t>(kWriteParameterLength >> 8);
    p[8] = kSettingsKind;
    p[9] = static_cast<std::uint8_t>(slotNumber);
    std::memset(p + 11, 0xFF, 64);
    // Every field goes out as the low byte of its value.
    const auto low = [](std::int32_t v) {
        return static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) & 0xFF);
    };
    p[28] = low(source.Platen);
    p[31] = p[32] =
        static_cast<std::uint8_t>((static_cast<std::uint32_t>(source.Forward) + 101u) & 0xFF);
    p[34] = SuctionByte(source.Paperdraw);
    CutPair(source.PaperCut, p[36], p[37]);
    p[39] = low(source.Roller);
    p[40] = low(source.Paperthick);
    const std::uint32_t dry = static_cast<std::uint32_t>(source.Drytime) * 100u;
    p[45] = static_cast<std::uint8_t>((dry >> 8) & 0xFF);
    p[46] = static_cast<std::uint8_t>(dry & 0xFF);
    p[50] = ThreeWayByte(source.ThreeWay);
    p[53] = low(source.MediaCode);
    p[74] = 0x01;
    std::memset(p + 77, ' ', CustomPaperSlot::kNameLength);
    const std::string bytes = NameBytes(name, CustomPaperSlot::kNameLength);
    std::memcpy(p + 77, bytes.data(), bytes.size());
    std::memcpy(out, p, sizeof p);
    return kWritePacketLength;
}

} // namespace SlotCodec
