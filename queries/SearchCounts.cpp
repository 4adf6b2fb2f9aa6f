#include "Form1.h"

void Form1::RequestBacklinkCount() {}
void Form1::RequestIndexedCount() {}
void Form1::pr2_HttpEvent(const QString &) {}
void Form1::pr3_HttpEvent(const QString &) {}
