#pragma once

// The blue office look for every window.
void applyLook();
// Qt's own texts (message-box buttons, the text fields' menu, the save dialog) in Chinese;
// false when Qt's Chinese translations are not installed, and they stay in English.
bool loadQtTranslations();
