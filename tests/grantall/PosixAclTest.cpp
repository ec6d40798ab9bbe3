#include "CPosixAcl.h"
#include "EveryoneAccess.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// Short text form, as getfacl -c abbreviates it: "u::rw-,u:1000:r--,g::r--,m::rw-,o::---".
std::uint16_t ParsePerm(const std::string& p) {
    return static_cast<std::uint16_t>((p[0] == 'r' ? 4 : 0) | (p[1] == 'w' ? 2 : 0) |
                                      (p[2] == 'x' ? 1 : 0));
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    std::vector<std::uint8_t> bytes = {2, 0, 0, 0};
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        const auto first = item.find(':');
        const auto second = item.find(':', first + 1);
        const std::string kind = item.substr(0, first);
        const std::string id = item.substr(first + 1, second - first - 1);
        std::uint16_t tag = 0;
        if (kind == "u") tag = id.empty() ? CPosixAcl::kUserObj : CPosixAcl::kUser;
        if (kind == "g") tag = id.empty() ? CPosixAcl::kGroupObj : CPosixAcl::kGroup;
        if (kind == "m") tag = CPosixAcl::kMask;
        if (kind == "o") tag = CPosixAcl::kOther;
        const std::uint16_t perm = ParsePerm(item.substr(second + 1));
        const std::uint32_t uid = id.empty() ? CPosixAcl::kUndefinedId : std::stoul(id);
        for (int i = 0; i < 2; ++i) bytes.push_back(static_cast<std::uint8_t>(tag >> (8 * i)));
        for (int i = 0; i < 2; ++i) bytes.push_back(static_cast<std::uint8_t>(perm >> (8 * i)));
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(uid >> (8 * i)));
    }
    return bytes;
}

CPosixAcl Acl(const std::string& text) {
    CPosixAcl acl;
    EXPECT_TRUE(acl.Decode(Bytes(text))) << text;
    return acl;
}

std::string Text(const CPosixAcl& acl) {
    std::string out;
    for (const CPosixAcl::Entry& e : acl.Entries()) {
        if (!out.empty()) out += ',';
        switch (e.tag) {
        case CPosixAcl::kUserObj: out += "u::"; break;
        case CPosixAcl::kUser: out += "u:" + std::to_string(e.id) + ":"; break;
        case CPosixAcl::kGroupObj: out += "g::"; break;
        case CPosixAcl::kGroup: out += "g:" + std::to_string(e.id) + ":"; break;
        case CPosixAcl::kMask: out += "m::"; break;
        case CPosixAcl::kOther: out += "o::"; break;
        }
        out += (e.perm & 4) ? 'r' : '-';
        out += (e.perm & 2) ? 'w' : '-';
        out += (e.perm & 1) ? 'x' : '-';
    }
    return out;
}

struct AccessCase {
    const char* name;
    bool folder;
    const char* before;
    const char* after;
};

class AccessRule : public ::testing::TestWithParam<AccessCase> {};

TEST_P(AccessRule, ReplacesOthersAndKeepsTheRest) {
    const AccessCase& c = GetParam();
    CPosixAcl acl = Acl(c.before);
    const bool changed = OpenAccessToEveryone(acl, c.folder);
    EXPECT_EQ(Text(acl), c.after);
    EXPECT_EQ(changed, std::string(c.before) != c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Everyone, AccessRule,
    ::testing::Values(
        AccessCase{"dataFileGetsNoExecute", false, "u::rw-,g::r--,o::---", "u::rw-,g::r--,o::rw-"},
        AccessCase{"ownerCanRun", false, "u::rwx,g::r--,o::r--", "u::rwx,g::r--,o::rwx"},
        AccessCase{"groupCanRun", false, "u::rw-,g::--x,o::---", "u::rw-,g::--x,o::rwx"},
        AccessCase{"othersCouldRun", false, "u::rw-,g::---,o::--x", "u::rw-,g::---,o::rwx"},
        AccessCase{"oldOthersRightsDropped", false, "u::r--,g::r--,o::r-x", "u::r--,g::r--,o::rwx"},
        AccessCase{"alreadyOpen", false, "u::rw-,g::r--,o::rw-", "u::rw-,g::r--,o::rw-"},
        AccessCase{"maskWidenedNamedKept", false, "u::rw-,u:1000:rw-,g::r--,g:50:r-x,m::r--,o::---",
                   "u::rw-,u:1000:rw-,g::r--,g:50:r-x,m::rw-,o::rw-"},
        // The mask hides the named user's execute right: nobody can run the file.
        AccessCase{"maskedExecuteDoesNotCount", false, "u::rw-,u:1000:rwx,g::r--,m::r--,o::---",
                   "u::rw-,u:1000:rwx,g::r--,m::rw-,o::rw-"},
        AccessCase{"maskedGroupExecuteCounts", false, "u::rw-,u:1000:rwx,g::r--,m::r-x,o::---",
                   "u::rw-,u:1000:rwx,g::r--,m::rwx,o::rwx"},
        AccessCase{"folderAlwaysSearchable", true, "u::rw-,g::---,o::r--", "u::rw-,g::---,o::rwx"},
        AccessCase{"folderMaskWidened", true, "u::rwx,g::r-x,g:50:rwx,m::r-x,o::---",
                   "u::rwx,g::r-x,g:50:rwx,m::rwx,o::rwx"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultRule, NewListIsFullForOwnerGroupAndOthers) {
    CPosixAcl acl;
    EXPECT_TRUE(OpenDefaultToEveryone(acl, false));
    EXPECT_EQ(Text(acl), "u::rwx,g::rwx,o::rwx");
}

TEST(DefaultRule, ExistingListKeepsItsEntries) {
    const struct {
        const char* before;
        const char* after;
    } cases[] = {
        {"u::rwx,g::r-x,o::---", "u::rwx,g::r-x,o::rwx"},
        {"u::rwx,u:7:r--,g::r-x,m::r-x,o::r-x", "u::rwx,u:7:r--,g::r-x,m::rwx,o::rwx"},
        {"u::rwx,g::rwx,o::rwx", "u::rwx,g::rwx,o::rwx"},
    };
    for (const auto& c : cases) {
        CPosixAcl acl = Acl(c.before);
        EXPECT_EQ(OpenDefaultToEveryone(acl, true), std::string(c.before) != c.after) << c.before;
        EXPECT_EQ(Text(acl), c.after);
    }
}

TEST(PosixAclBytes, EncodesTheKernelLayout) {
    // u::rwx,g::r-x,o::rwx exactly as the kernel stores it.
    const std::vector<std::uint8_t> kernel = {2, 0, 0, 0,    1,    0,    7,    0,    0xff, 0xff,
                                              0xff, 0xff, 4, 0, 5, 0, 0xff, 0xff, 0xff, 0xff,
                                              0x20, 0, 7, 0, 0xff, 0xff, 0xff, 0xff};
    CPosixAcl acl;
    acl.SetFromMode(040757);
    const auto bytes = acl.Encode();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), kernel);

    const std::vector<std::uint8_t> named = Bytes("u::rw-,u:70000:r--,g::r--,g:5:rw-,m::rw-,o::---");
    ASSERT_TRUE(acl.Decode(named));
    const auto again = acl.Encode();
    EXPECT_EQ(std::vector<std::uint8_t>(again.begin(), again.end()), named);
}

TEST(PosixAclBytes, RefusesMalformedLists) {
    const std::vector<std::uint8_t> good = Bytes("u::rw-,g::r--,o::---");
    auto with = [&](std::size_t at, std::uint8_t value) {
        auto b = good;
        b[at] = value;
        return b;
    };
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"headerOnly", {2, 0, 0, 0}},
        {"shortHeader", {2, 0, 0}},
        {"partialEntry", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
        {"wrongVersion", with(0, 1)},
        {"unknownTag", with(4, 0x40)},
        {"extraPermissionBits", with(6, 8)},
        {"outOfOrder", Bytes("g::r--,u::rw-,o::---")},
        {"twoOwners", Bytes("u::rw-,u::rw-,g::r--,o::---")},
        {"noOthers", Bytes("u::rw-,g::r--")},
        {"namedWithoutMask", Bytes("u::rw-,u:5:r--,g::r--,o::---")},
    };
    for (const auto& c : cases) {
        CPosixAcl acl;
        EXPECT_FALSE(acl.Decode(c.bytes)) << c.name;
        EXPECT_TRUE(acl.Entries().empty()) << c.name;
    }
}

} // namespace
