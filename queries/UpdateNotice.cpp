#include "Form1.h"

void Form1::Timer3_Timer() { Timer3->setEnabled(false); }
void Form1::RequestUpdateNotice() {}
void Form1::pr5_HttpEvent(const QString &) {}
