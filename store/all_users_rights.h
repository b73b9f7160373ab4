// The rights of the appointment file shared by all users of the PC, as a security
// descriptor string; the setup program reads this very line.
#pragma once

// SYSTEM and the administrators have full control, every user of the PC may read, write
// and replace the file ("modify"). Protected, so that nothing narrower is inherited.
constexpr char ALL_USERS_FILE_RIGHTS[] = "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1301bf;;;BU)";
