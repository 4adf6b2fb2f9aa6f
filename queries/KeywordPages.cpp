#include "Form1.h"

void Form1::BeginKeywordScan() {}
void Form1::RequestKeywordPage() {}
void Form1::pr4_HttpEvent(const QString &) {}
