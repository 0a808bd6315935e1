// The folder the running program lies in.
#pragma once

// Makes the program's own folder the working folder; where it cannot be
// found, the working folder stays, and opening the drive will say so.
void FOLDER_EnterProgram();
