#include "app/CPortListModel.h"

#include "platform/common/CPathName.h"
#include "settings/CSystemContext.h"

namespace {

std::string EntryText(const std::string& name, const CSerialPortInfo& info) {
    std::string text = name;
    if (!info.strDescription.empty()) {
        text += " – " + info.strDescription;
    }
    return text + info.MarksText();
}

}  // namespace

std::vector<CPortEntry> CPortListModel::Build(const CSystemContext& context,
                                              const CPortChoice& chosen, int& selected) {
    const CPortDiscovery discovery = context.Discovery();
    std::vector<CPortEntry> entries;
    selected = -1;
    auto add = [&](CPortEntry entry, bool bChosen) {
        if (bChosen && selected < 0) {
            selected = static_cast<int>(entries.size());
        }
        entries.push_back(std::move(entry));
    };
    for (int port = 1; port <= CPortMap::kComPorts; ++port) {
        const CPortChoice com = CPortChoice::Com(port, context.Ports());
        CSerialPortInfo info = discovery.Inspect(com.DevicePath());
        info.strDescription.clear();  // the name says it all: COM1 (/dev/ttyS0)
        add({com, EntryText(com.Describe(), info), com.ShortName(), std::move(info)},
            chosen.IsCom() && chosen.ComNumber() == port);
    }
    for (CSerialPortInfo& info : discovery.List()) {
        const bool bChosen = !chosen.IsCom() && (chosen.DevicePath() == info.strDevice ||
                                                 chosen.DevicePath() == info.strById);
        // The by-id link where there is one, so that the choice survives
        // re-plugging.
        CPortChoice device =
            CPortChoice::Device(info.strById.empty() ? info.strDevice : info.strById);
        std::string text = EntryText(info.Name(), info);
        std::string shortName = CPathName::FileName(info.strDevice);
        add({std::move(device), std::move(text), std::move(shortName), std::move(info)}, bChosen);
    }
    if (selected < 0 && !chosen.IsCom()) {
        CSerialPortInfo info = discovery.Inspect(chosen.DevicePath());
        add({chosen, EntryText(chosen.DevicePath(), info), chosen.ShortName(), std::move(info)},
            true);
    }
    selected = std::max(selected, 0);
    return entries;
}
