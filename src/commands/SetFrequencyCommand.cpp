#include "commands/SetFrequencyCommand.h"

namespace tarnwell {

std::optional<FeatureReport> setFrequencyReport(const PllSettingsBytes& settings,
                                                std::size_t featureReportLength) {
    return buildFeatureReport(CommandCode::CmdSetFrequency, settings, featureReportLength);
}

}  // namespace tarnwell
