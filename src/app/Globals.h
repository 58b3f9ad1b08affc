#pragma once

class SiteRegister;
class MainWindow;
class AddSiteWindow;
class SiteWindow;
class ExpiryWindow;
class SettingsWindow;
class LoginWindow;
class HelpNotice;
class AdBoard;
class UpgradeNotice;

// The program's global instances; they live from start to exit.
extern SiteRegister *DataModule1;
extern LoginWindow *Form6;
extern MainWindow *Form1;
extern AddSiteWindow *Form2;
extern SiteWindow *Form3;
extern ExpiryWindow *Form4;
extern SettingsWindow *Form5;
extern HelpNotice *Form7;
extern AdBoard *Form8;
extern UpgradeNotice *Form9;
