#pragma once
// The advanced button functions in keysetting/HighestFunction.ini: one group per button,
// 4 "LeftKey", 5 "MidKey", 6 "RightKey", 7 "FowardKey", 8 "BackKey", 11 "WheelFoward",
// 12 "WheelBack", 13 "DPIAdd", 14 "DPIReduce", 15 "Custom1", 16 "Custom2", 17 "Custom3"
// (buttons 9 and 10 have none), each with "state" (non-zero = the button has an advanced
// function), "function" (function code) and "path" (what the function opens).

#include <QString>

namespace HighestFunction {

// The group of a button; "" for a button without one.
QString groupName(int button);

// True, with the function code and path, when the button's group has a non-zero "state".
// A missing file, group or key, or a "state"/"function" that is not a decimal integer (for
// instance "1,2"), reads as 0; so does everything for a button without a group.
bool lookup(int button, int &functionCode, QString &path);

// Stores the three keys of a button's group; false for a button without a group or when the
// file could not be written.
bool store(int button, int state, int functionCode, const QString &path);

// Deletes the file (the reset to factory settings does this): "deleteHighestFile" and, when a
// file was removed, "deleteHighestFile ok" in the log. Returns false only when a file exists
// and could not be removed.
bool remove();

} // namespace HighestFunction
