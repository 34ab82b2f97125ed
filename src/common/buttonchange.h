#pragma once
// Change types of a button assignment request, shared by the button dialog, the coordinator and
// every manager. 53 and 54 are not used.

enum ButtonChangeType : int {
    MouseButtonChangeToKey = 29,
    MouseButtonChangeToCombinationKey = 30,
    MouseButtonChangeToFunction = 31,      // reported value only
    MouseButtonChangeToMacro = 32,
    MouseButtonChangeToMacroReport = 33,   // reported value only
    MouseButtonChangeToMultimedia = 34,
    MouseButtonChangeToMute = 35,
    MouseButtonChangeToPlayPause = 36,
    MouseButtonChangeToVolumeUp = 37,
    MouseButtonChangeToVolumeDown = 38,
    MouseButtonChangeToMediaPlayer = 39,
    MouseButtonChangeToMouseKey = 40,
    MouseButtonChangeToForbidden = 41,
    MouseButtonChangeToDpiFunction = 42,
    MouseButtonChangeToExtendedFunction = 43,
    MouseButtonChangeToFireKey = 44,
    MouseButtonChangeToDpiUp = 45,
    MouseButtonChangeToDpiDown = 46,
    MouseButtonChangeToDpiInstant = 47,
    MouseButtonChangeToLeftKey = 48,
    MouseButtonChangeToRightKey = 49,
    MouseButtonChangeToMiddleKey = 50,
    MouseButtonChangeToForwardKey = 51,
    MouseButtonChangeToBackKey = 52,
    MouseButtonChangeToSwitchMacroKey = 55,
    MouseButtonChangeToProfileLoop = 56,
};
