#include "report_destination.hpp"

#include <cstdio>
#include <span>
#include <utility>

#include "program_settings.hpp"

namespace korvel {

ReportDestination::ReportDestination(std::optional<std::string> path) : path_(std::move(path)) {}

bool ReportDestination::toStandardOutput() const noexcept { return path_ && *path_ == kStandardOutputName; }

Outcome ReportDestination::open()
{
    if (!wanted() || toStandardOutput() || file_.isOpen()) {
        return ResultCode::Ok;
    }
    Outcome opened = file_.open(*path_);
    if (!opened.ok()) {
        opened.detail = "report file " + *path_;
    }
    identity_ = file_.identity();
    return opened;
}

void ReportDestination::appendLine(const std::string& json)
{
    if (!wanted()) {
        return;
    }
    if (toStandardOutput()) {
        written_ = std::fputs(json.c_str(), stdout) >= 0 && std::fputc('\n', stdout) != EOF && written_;
        return;
    }
    const std::string line = json + "\n";
    written_ = file_.append(std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size())) && written_;
}

Outcome ReportDestination::finish()
{
    if (!wanted()) {
        return ResultCode::Ok;
    }
    if (toStandardOutput()) {
        if (std::fflush(stdout) != 0 || !written_) {
            return {ResultCode::CantCloseOutputFile, "standard output did not take the report"};
        }
        return ResultCode::Ok;
    }
    if (!written_) {
        file_.remove();
    } else if (file_.finish().ok()) {
        return ResultCode::Ok;
    }
    return {ResultCode::CantCloseOutputFile, "report file " + *path_ + " could not be written"};
}

const FileIdentity* ReportDestination::fileIdentity() const noexcept
{
    return file_.isOpen() && file_.regular() ? &identity_ : nullptr;
}

}  // namespace korvel
