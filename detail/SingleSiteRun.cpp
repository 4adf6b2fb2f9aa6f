// The single-site run's start, the switching between the two views and the
// two conveniences of the single-site input boxes.

#include "Form1.h"

void Form1::Command11_Click()
{
    ListView3->hide();
    for (int i = 0; i <= 6; ++i)
        Label5(i)->setText(QStringLiteral("0"));
    nIndex[0] = nIndex[1] = nIndex[2] = nIndex[3] = 1;
    nIndex[4] = 0;
    SetValue(Check4, 1);
    haltsAtScanStart = haltsRaised;
    RequestSiteOverview();
}

void Form1::Command19_Click()
{
    Frame2->show();
    Frame1->hide();
}

void Form1::Command14_Click()
{
    Frame2->hide();
    Frame1->show();
}

void Form1::Command15_Click()
{
    ListView3->hide();
}

void Form1::Text5_Click()
{
    // Clears the example once, never a domain the user typed.
    if (Text5->text() == mConfig.exampleDomain)
        Text5->setText(QString());
}

void Form1::Text6_Click()
{
    if (Text6->text() == QStringLiteral("请输入关键词"))
        Text6->setText(QString());
}
