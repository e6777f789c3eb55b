#pragma once

#include "CommandContext.h"

namespace tarnwell::ctl {

// status --prometheus and --textfile: every attached clock (or the one of -s) in Prometheus'
// text format, once or, with --watch, kept in a file until interrupted.
int metricsCommand(CommandContext& c);

}  // namespace tarnwell::ctl
