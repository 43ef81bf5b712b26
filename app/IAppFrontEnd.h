#pragma once

#include "app/CCompareReport.h"
#include "core/data/CQARNCfgDoc.h"

#include <optional>
#include <string>
#include <vector>

class CConfigStrip;

// What a front end does for the application's commands: the windows it owns.
class IAppFrontEnd {
public:
    virtual ~IAppFrontEnd() = default;

    // Runs the transfer dialog over the document until the user closes it.
    // bCompare: it reads the device's configuration aside, leaving the
    // document as it was, and returns the compare of a read that ended whole.
    virtual std::optional<CCompareReport> RunTransferDialog(ETransferMode eMode, bool bCompare) = 0;
    virtual void ShowAbout() = 0;
    // Closes the main window the way its close box does.
    virtual void CloseMainWindow() = 0;
    // Draws the main window: its title, the summary's lines and the strip.
    virtual void ShowFrame(const std::string& title, const std::vector<std::string>& lines,
                           const CConfigStrip& strip) = 0;
};
