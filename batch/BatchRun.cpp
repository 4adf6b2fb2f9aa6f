// The paced batch run: start, pause and stop, the completion watcher on
// Timer1 and the automatic rests on Timer2.

#include "Form1.h"
#include "RunPacing.h"

namespace {

const QString kRowsOutOfRange = QStringLiteral("每次查询条数不能超过32767条，请重新填写！");
const QString kRestOutOfRange = QStringLiteral("停顿秒数只能在0到65秒之间，请重新填写！");
const QString kRestRefusedPaused =
    QStringLiteral("停顿秒数只能在0到65秒之间，查询已暂停。请重新填写后点击“开始”继续！");

// A rest warning is modal; the watcher keeps ticking under it and must not
// stack a second one on top.
bool gWarningOpen = false;

void Warn(Form1 &form, const QString &text)
{
    if (gWarningOpen)
        return;
    gWarningOpen = true;
    form.Notify(text);
    gWarningOpen = false;
}

// A pending rest must never restart the run behind the user's back.
void DisarmRest(Form1 &form)
{
    form.Timer2->setEnabled(false);
}

} // namespace

void Form1::Command3_Click()
{
    // Refused before anything changes, so a refused start leaves the run as
    // it was (a paused run stays paused).
    const std::optional<qint16> rows = RunPacing::RowsPerStretch(Text4->text());
    if (!rows) {
        Notify(kRowsOutOfRange);
        return;
    }
    if (!RunPacing::RestMilliseconds(Combo1->currentText())) {
        Notify(kRestOutOfRange);
        return;
    }

    DisarmRest(*this);
    SetValue(Check1, 0);
    SetValue(Check4, 0);
    if (Value(Check2) == 1) {
        SetValue(Check2, 0);
    } else {
        nIndex[0] = nIndex[1] = nIndex[2] = nIndex[3] = 1;
        nIndex[4] = 0;
        nCheckRow = 1;
        nRestAt = *rows;
        Label2->setText(QStringLiteral("0"));
    }
    RequestSiteOverview();
    RequestBacklinkCount();
    RequestIndexedCount();
    Timer1->setEnabled(true);
}

void Form1::Command9_Click()
{
    DisarmRest(*this);
    SetValue(Check2, 1);
    SetValue(Check1, 1);
    ++haltsRaised;
}

void Form1::Command10_Click()
{
    DisarmRest(*this);
    SetValue(Check1, 1);
    ++haltsRaised;
}

void Form1::Timer1_Timer()
{
    // Past row 32767 the cursor has no room left and wraps below 1: that
    // too means every row is confirmed.
    if (nCheckRow < 1 || nCheckRow > batchRows.size())
        return;
    if (RunPacing::RowComplete(BatchRow(nCheckRow))) {
        Label2->setText(QString::number(nCheckRow));
        nCheckRow = nCheckRow == 32767 ? qint16(-32768) : qint16(nCheckRow + 1);
    }
    if (nCheckRow != nRestAt)
        return;

    // Everything is settled before a warning is shown, so a tick that runs
    // under the warning finds no rest to begin.
    const std::optional<qint16> rows = RunPacing::RowsPerStretch(Text4->text());
    nRestAt = rows ? RunPacing::NextRestAt(nRestAt, *rows) : qint16(0);
    Command9_Click();
    const std::optional<qint32> ms = RunPacing::RestMilliseconds(Combo1->currentText());
    if (ms) {
        Timer2->setInterval(*ms);
        Timer2->setEnabled(true);
    }
    if (!rows)
        Warn(*this, kRowsOutOfRange);
    if (!ms)
        Warn(*this, kRestRefusedPaused);
}

void Form1::Timer2_Timer()
{
    Timer2->setEnabled(false);
    Command3_Click();
}

void Form1::Combo1_Click()
{
    // The rest length is read when a rest begins.
}
