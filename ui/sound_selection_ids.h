// Control ids of the standard sound dialog (template 122) and the hidden
// dialog that waits for the sound control panel (template 121).
#pragma once

#define IDC_WAIT_RAISE_WINDOW 1043
#define IDC_SOUND_EVENTS 1044
