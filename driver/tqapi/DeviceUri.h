#pragma once

// Which channels a printer offers, read from its queue's device URI.
//
//   socket://HOST[:PORT]/?OPTIONS    (also lpd://, ipp://, ipps://, http://)
// (CUPS takes options only after a "/"; its socket backend ignores the
// names below.)
//
// A network printer answers SNMP on HOST, UDP port 161, so the network
// channel is offered. Options (the CUPS socket backend ignores names it does
// not know):
//   tqsnmp=PORT   SNMP on this UDP port instead of 161; tqsnmp=off: none
//   tqlocal=PORT  the printer's local back channel (a byte stream) is on
//                 HOST, TCP port PORT: the local channel is offered
// usb:// and other local URIs offer only what tqlocal names.

#include <string>

namespace tqapi {

struct ChannelConfig {
    std::string host;
    bool network = false;
    int snmpPort = 161;
    bool local = false;
    int localPort = 0;
};

// False when the URI has no host to talk to.
bool ParseDeviceUri(const std::string& uri, ChannelConfig& config);

} // namespace tqapi
