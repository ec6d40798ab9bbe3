#include "status/JobReport.h"

#include "app/CPlotcareApp.h"

#include <cstdio>

namespace JobReport {

std::string AppText(int textId) {
    const CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->GetText(textId).toStdString() : std::string();
}

int StateTextId(int state) {
    if (state >= 1 && state <= 5) return 60230 + state - 1;
    if (state == 255) return 60235;
    return kUnknown;
}

int ResultTextId(int result) {
    if (result >= 1 && result <= 3) return 60240 + result - 1;
    return kUnknown;
}

namespace {

// Two digits at least, as "%02d" gives them.
std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

} // namespace

std::string Thousandths(int value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%03d", value / 1000, value % 1000);
    return buf;
}

std::string ReceivedText(const JobInfoRecord& r) {
    return TwoDigits(r.received[0]) + "/" + TwoDigits(r.received[1]) + "/" +
           TwoDigits(r.received[2]) + " " + TwoDigits(r.received[3]) + ":" +
           TwoDigits(r.received[4]);
}

std::string Format(const JobInfoRecord& r, const TextLookup& lookup) {
    const auto text = [&lookup](int id) { return lookup ? lookup(id) : std::string(); };
    const std::string pages = text(kPages);
    std::string out;
    out += text(kJob) + " " + std::to_string(r.number) + " :\r\n";
    out += " " + text(kName) + " : " + r.name + "\r\n";
    out += " " + text(kUser) + " : " + r.user + "\t" + text(kState) + " : " +
           text(StateTextId(r.state)) + "\t" + text(kResult) + " : " +
           text(ResultTextId(r.result)) + "\r\n";
    out += "  " + text(kUsedGroup) + " : " + text(kUsed) + " : " + Thousandths(r.usedThousandths) +
           " " + text(kUsedUnit) + "\t" + text(kPrinted) + " : " + std::to_string(r.printedPages) +
           " " + pages + " " + text(kOf) + " " + std::to_string(r.pages) + " " + pages + "\r\n";
    out += " " + text(kReceived) + " : " + ReceivedText(r) + "\t" + text(kPrintTime) + " : " +
           std::to_string(r.printSeconds / 60) + " " + text(kMinutes);
    return out;
}

} // namespace JobReport
