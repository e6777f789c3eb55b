#pragma once

// The commands as the table runs them, one file per group: each returns the exit status.

#include "CommandContext.h"

namespace tarnwell::ctl {

int listCommand(CommandContext& c);           // ListCommand.cpp
int showCommand(CommandContext& c);           // ShowCommand.cpp
int statusCommand(CommandContext& c);         // StatusCommand.cpp
int setCommand(CommandContext& c);            // ProgramCommands.cpp
int programCommand(CommandContext& c);        // ProgramCommands.cpp
int outputsCommand(CommandContext& c);        // OutputCommands.cpp
int identifyCommand(CommandContext& c);       // OutputCommands.cpp
int driveCommand(CommandContext& c);          // OutputCommands.cpp
int sleepCommand(CommandContext& c);          // OutputCommands.cpp
int writeRegisterCommand(CommandContext& c);  // OutputCommands.cpp
int applyCommand(CommandContext& c);          // SavedConfigurationCommands.cpp
int diffCommand(CommandContext& c);           // SavedConfigurationCommands.cpp
int udevRuleCommand(CommandContext& c);       // UdevRuleCommand.cpp

}  // namespace tarnwell::ctl
