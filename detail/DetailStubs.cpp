#include "Form1.h"

void Form1::Command11_Click() {}
void Form1::Command14_Click() {}
void Form1::Command15_Click() {}
void Form1::Command19_Click() {}
void Form1::Text5_Click() {}
void Form1::Text6_Click() {}
void Form1::Combo2_Click() {}
void Form1::Command13_Click() {}
void Form1::Command16_Click() {}
void Form1::ListView2_DblClick() {}
void Form1::ListView3_DblClick() {}
