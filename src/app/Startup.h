#pragma once

// The blue office look for every window.
void applyLook();
// Qt's own texts (message-box buttons, the text fields' menu, the save dialog) in Chinese;
// false when Qt's Chinese translations are not installed, and they stay in English.
bool loadQtTranslations();
namespace CommandLine {
struct Options;
}
// Chooses the folder of the register, the carriers and the exports for this run, makes a
// first start's one ready and puts the program there; false (after saying why, on the
// terminal and in a message box) when it cannot be made ready.
bool useRegisterFolder(const CommandLine::Options &options);
class RegisterAddress;
// The register of this run in the folder chosen: the one --register names, remembered for the
// folder from now on, else the one remembered for it, else none (the folder's db.mdb).
RegisterAddress chooseRegister(const CommandLine::Options &options);
