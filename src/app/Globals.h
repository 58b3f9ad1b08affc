#pragma once

class TDataModule1;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;

// The program's global instances; they live from start to exit.
extern TDataModule1 *DataModule1;
extern TForm6 *Form6;
extern TForm1 *Form1;
extern TForm2 *Form2;
extern TForm3 *Form3;
extern TForm4 *Form4;
extern TForm5 *Form5;
extern TForm7 *Form7;
extern TForm8 *Form8;
extern TForm9 *Form9;
