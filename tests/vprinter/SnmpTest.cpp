#include "SnmpV1.h"

#include <gtest/gtest.h>

#include "CVirtualPrinter.h"
#include "JobBytes.h"
#include "TestFiles.h"

namespace {

TEST(Snmp, DecodesTheUtilitysWrappedQuery) {
    const Bytes request = WrappedRequest(Packet(BuildQueryVI));
    ASSERT_EQ(request.size(), 56u);
    snmpv1::Message m;
    ASSERT_TRUE(snmpv1::Decode(request.data(), request.size(), m));
    EXPECT_EQ(m.community, "gravel");
    EXPECT_EQ(m.pduType, snmpv1::kGetRequest);
    EXPECT_EQ(m.requestId, 1);
    EXPECT_EQ(m.valueType, snmpv1::kTypeNull);
    Bytes command;
    ASSERT_TRUE(snmpv1::UnwrapCommand(m.oid, command));
    EXPECT_EQ(command, Packet(BuildQueryVI));
}

TEST(Snmp, EscapedBytesComeBackWhole) {
    const Bytes query = Packet([](auto o, auto r) { return BuildQueryEXRead(o, r, 0x89); });
    const Bytes request = WrappedRequest(query);
    snmpv1::Message m;
    ASSERT_TRUE(snmpv1::Decode(request.data(), request.size(), m));
    // The escaped pair 81 09 is the encoded sub-identifier 89.
    EXPECT_EQ(m.oid.back() , 0x00u);
    EXPECT_EQ(m.oid[m.oid.size() - 2], 0x89u);
    Bytes command;
    ASSERT_TRUE(snmpv1::UnwrapCommand(m.oid, command));
    EXPECT_EQ(command, query);
    EXPECT_EQ(snmpv1::WrapCommand(query.data(), query.size()), m.oid);
}

TEST(Snmp, RefusesMalformedMessages) {
    const Bytes good = WrappedRequest(Packet(BuildQueryVI));
    struct Case {
        const char* label;
        Bytes bytes;
    };
    const Bytes cut(good.begin(), good.end() - 1);
    Bytes longer = good;
    longer[1] = static_cast<std::uint8_t>(longer[1] + 1);
    Bytes trailing = good;
    trailing.push_back(0x00);
    Bytes version2c = good;
    version2c[4] = 0x01;
    Bytes noSequence = good;
    noSequence[0] = 0x31;
    Bytes badValue = good;
    badValue[badValue.size() - 2] = 0x02; // INTEGER with no content
    const Case cases[] = {{"empty", {}},          {"cut short", cut},        {"length past the end", longer},
                          {"trailing byte", trailing}, {"version 2c", version2c}, {"not a sequence", noSequence},
                          {"bad value", badValue}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        snmpv1::Message m;
        EXPECT_FALSE(snmpv1::Decode(c.bytes.data(), c.bytes.size(), m));
    }
}

TEST(Snmp, CommandTailMustBeWellFormed) {
    std::vector<std::uint32_t> oid = snmpv1::CommandOid();
    Bytes command;
    EXPECT_FALSE(snmpv1::UnwrapCommand(oid, command)); // no tail
    oid.insert(oid.end(), {9, 8, 0, 7, 'V', 'I', 2, 0, 1, 0}); // length says 7, 6 follow
    EXPECT_FALSE(snmpv1::UnwrapCommand(oid, command));
    oid = snmpv1::CommandOid();
    oid.insert(oid.end(), {9, 8, 0, 6, 'V', 'I', 2, 0, 1, 300});
    EXPECT_FALSE(snmpv1::UnwrapCommand(oid, command)); // not a byte
    oid.back() = 0x89;
    EXPECT_TRUE(snmpv1::UnwrapCommand(oid, command));
    EXPECT_EQ(command.back(), 0x89);
}

TEST(Snmp, LongValuesUseLongFormLengths) {
    snmpv1::Message m;
    m.community = "gravel";
    m.pduType = snmpv1::kGetResponse;
    m.requestId = 70000;
    m.oid = snmpv1::StatusOid();
    m.valueType = snmpv1::kTypeOctetString;
    m.value.assign(300, 'x');
    const Bytes encoded = snmpv1::Encode(m);
    snmpv1::Message back;
    ASSERT_TRUE(snmpv1::Decode(encoded.data(), encoded.size(), back));
    EXPECT_EQ(back.requestId, 70000);
    EXPECT_EQ(back.value, m.value);
    EXPECT_EQ(back.oid, m.oid);
}

class SnmpAgent : public ::testing::Test {
protected:
    TempDir dir;
    vprinter::CVirtualPrinter printer{{dir.path().string(), {}, 1.0, false, vprinter::Model::CorvanMax7100}};

    bool Answer(const Bytes& request, snmpv1::Message& response) {
        const auto answer = printer.AnswerSnmp(request.data(), request.size());
        if (!answer.send) return false;
        EXPECT_TRUE(snmpv1::Decode(answer.bytes.data(), answer.bytes.size(), response));
        return true;
    }
};

TEST_F(SnmpAgent, AnswersAWrappedQueryBehindTheMarker) {
    snmpv1::Message response;
    ASSERT_TRUE(Answer(WrappedRequest(Packet(BuildQueryVI)), response));
    EXPECT_EQ(response.pduType, snmpv1::kGetResponse);
    EXPECT_EQ(response.requestId, 1);
    EXPECT_EQ(response.errorStatus, 0);
    EXPECT_EQ(response.value, "@BDC PS\r\nVI:00I02010;");
}

TEST_F(SnmpAgent, AnswersStatusAndDeviceIdObjects) {
    snmpv1::Message request;
    request.community = "gravel";
    request.requestId = 5;
    request.oid = snmpv1::StatusOid();
    snmpv1::Message response;
    ASSERT_TRUE(Answer(snmpv1::Encode(request), response));
    EXPECT_EQ(response.value.rfind(vprinter::kStatusHeader, 0), 0u);
    request.oid = snmpv1::DeviceIdOid();
    ASSERT_TRUE(Answer(snmpv1::Encode(request), response));
    EXPECT_NE(response.value.find("DES:ORVEX Corvan Max 7100;"), std::string::npos);
    request.oid = {1, 3, 6, 1, 2, 1, 1, 1, 0};
    ASSERT_TRUE(Answer(snmpv1::Encode(request), response));
    EXPECT_EQ(response.errorStatus, snmpv1::kNoSuchName);
}

TEST_F(SnmpAgent, DropsWhatARealAgentDrops) {
    const Bytes whole = WrappedRequest(Packet(BuildQueryVI));
    const Bytes cut(whole.begin(), whole.end() - 3);
    snmpv1::Message response;
    EXPECT_FALSE(Answer(cut, response));
    Bytes community = WrappedRequest(Packet(BuildQueryVI));
    community[7] = 'G';
    EXPECT_FALSE(Answer(community, response));
    // Another maker's enterprise number: not our object.
    ASSERT_TRUE(Answer(WrappedRequest(Packet(BuildQueryVI), 0x81, 0x01), response));
    EXPECT_EQ(response.errorStatus, snmpv1::kNoSuchName);
}

} // namespace
