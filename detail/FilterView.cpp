// The keyword filter: picks rows of ListView2 into ListView3, which lies
// over it, and shows the tested column in red.

#include "Form1.h"
#include "KeywordFilter.h"

void Form1::Combo2_Click()
{
    if (const std::optional<QString> value = KeywordFilter::ValueFor(Combo2->currentText()))
        Text6->setText(*value);
}

void Form1::Command13_Click()
{
    ListView3->show();
    const int count = Cells::RowCount(ListView2);
    if (count == 0) {
        Notify(QStringLiteral("当前数据为空，请先查询！"));
        return;
    }
    Cells::Rebuild(ListView3, KeywordHeaders(), KeywordWidths());
    const std::optional<KeywordFilter::Rule> rule = KeywordFilter::MakeRule(Combo2->currentText(), Text6->text());
    if (!rule)
        return; // a threshold that is not a number: the headers alone
    const int tested = KeywordFilter::TestedSubItem(rule->mode);
    const int columns = KeywordHeaders().size();

    QList<QTreeWidgetItem *> picked;
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem *row = ListView2->topLevelItem(i);
        if (!KeywordFilter::Passes(*rule, row->text(tested)))
            continue;
        QStringList texts;
        texts.reserve(columns);
        for (int c = 0; c < columns; ++c)
            texts << row->text(c);
        auto *copy = new QTreeWidgetItem(texts);
        if (tested > 0)
            copy->setForeground(tested, QColor(255, 0, 0));
        picked.append(copy);
    }
    ListView3->addTopLevelItems(picked);
}
