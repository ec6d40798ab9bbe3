#include "DeviceUri.h"

#include <gtest/gtest.h>

using tqapi::ChannelConfig;
using tqapi::ParseDeviceUri;

namespace {

TEST(DeviceUri, ChannelsFollowTheUri) {
    struct Case {
        const char* uri;
        bool ok;
        const char* host;
        bool network;
        int snmpPort;
        bool local;
        int localPort;
    };
    const Case cases[] = {
        {"socket://192.168.1.20", true, "192.168.1.20", true, 161, false, 0},
        {"socket://printer.lan:9100", true, "printer.lan", true, 161, false, 0},
        {"socket://127.0.0.1:9100/?tqsnmp=16161", true, "127.0.0.1", true, 16161, false, 0},
        {"socket://127.0.0.1:9100/?tqlocal=9101&tqsnmp=off", true, "127.0.0.1", false, 161, true, 9101},
        {"socket://127.0.0.1:9100/?waiteof=false&tqlocal=9101", true, "127.0.0.1", true, 161, true, 9101},
        {"socket://[::1]:9100/?tqsnmp=1616", true, "::1", true, 1616, false, 0},
        {"lpd://user@host/queue", true, "host", true, 161, false, 0},
        {"usb://ORVEX/Corvan?serial=1", true, "ORVEX", false, 161, false, 0},
        {"socket://h/?tqsnmp=0&tqlocal=70000", true, "h", true, 161, false, 0}, // bad ports are ignored
        {"socket:///?tqsnmp=1", false, "", false, 161, false, 0},
        {"file:/dev/null", false, "", false, 161, false, 0},
        {"", false, "", false, 161, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uri);
        ChannelConfig config;
        ASSERT_EQ(ParseDeviceUri(c.uri, config), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(config.host, c.host);
        EXPECT_EQ(config.network, c.network);
        EXPECT_EQ(config.snmpPort, c.snmpPort);
        EXPECT_EQ(config.local, c.local);
        EXPECT_EQ(config.localPort, c.localPort);
    }
}

} // namespace
