#include "custompaper/CRegisterSlot.h"

#include "custompaper/CCustomPaperTable.h"

CRegisterSlot::CRegisterSlot(CCustomPaperTable& table) : m_table(table) {}

CRegisterSlot::Message CRegisterSlot::MessageFor(Outcome outcome) {
    switch (outcome) {
    case Outcome::Written:
        return {kTextRegistered, true};
    case Outcome::NotReady:
        return {kTextNotReady, false};
    case Outcome::NotSent:
        return {kTextNotSent, false};
    case Outcome::NoDestination:
    case Outcome::NoName:
    case Outcome::Declined:
        break;
    }
    return {0, false};
}

int CRegisterSlot::InitialDestination() const {
    return m_table.CurrentIndex();
}

std::optional<std::string> CRegisterSlot::NameFor(int destination) const {
    if (destination < 0 || destination >= kSlotCount || !m_table.IsRegistered(destination))
        return std::nullopt;
    std::string name = m_table.SlotLabel(destination);
    const std::size_t end = name.find_last_not_of(' ');
    name.erase(end == std::string::npos ? 0 : end + 1);
    return name;
}

bool CRegisterSlot::OkEnabled(const std::string& name) {
    return name.find_last_not_of(' ') != std::string::npos;
}

CRegisterSlot::Outcome CRegisterSlot::Register(int destination, const std::string& name,
                                               const Steps& steps) const {
    if (!OkEnabled(name)) return Outcome::NoName;
    if (!steps.review && !(steps.ready && steps.ready())) return Outcome::NotReady;
    if (destination < 0 || destination >= kSlotCount) return Outcome::NoDestination;
    if (m_table.IsRegistered(destination) && !(steps.confirmOverwrite && steps.confirmOverwrite()))
        return Outcome::Declined;
    const int sent = steps.write ? steps.write(destination, name) : -1;
    return sent == 0 ? Outcome::Written : Outcome::NotSent;
}

std::function<int(int, const std::string&)>
CRegisterSlot::TableWrite(const std::string& printer) const {
    return [&table = m_table, printer](int index, const std::string& name) {
        return table.WriteSlot(printer, index, name, table.SlotAt(-1));
    };
}
