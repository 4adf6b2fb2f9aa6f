#include "Form1.h"

void Form1::Command2_Click() {}
void Form1::Command12_Click() {}
void Form1::Command6_Click() {}
void Form1::Command3_Click() {}
void Form1::Command9_Click() {}
void Form1::Command10_Click() {}
void Form1::Timer1_Timer() {}
void Form1::Timer2_Timer() {}
void Form1::Combo1_Click() {}
void Form1::ListView1_ColumnClick(int) {}
void Form1::ListView1_DblClick() {}
void Form1::Command8_Click() {}
