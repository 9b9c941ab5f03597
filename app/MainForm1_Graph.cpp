#include "app/MainForm1.h"

#include "graph/Chart.h"
#include "graph/Result_Rows.h"
#include "platform/Events.h"

#include <QCheckBox>
#include <QLabel>

namespace smx::app {
namespace {

graph::Rates rates_of(const engine::TBenchmark_Results& results) {
    graph::Rates rates{};
    for (int i = 0; i < engine::TBenchmark_Results::Rate_Count; ++i)
        rates[static_cast<std::size_t>(i)] = results.rate(i);
    return rates;
}

} // namespace

void TMainForm1::Graph_Results_BitBtnClick() {
    // The graph keeps nothing between redraws: it is rebuilt from the two sets every time.
    Series1->clear();
    Series2->clear();
    Series1->set_title(Main_Results.Name);
    Main_Series_Label->setText(Main_Results.Name);
    graph::add_result_points(*Series1, rates_of(Main_Results));
    Series2->set_title(Compare_Results.Name);
    Compare_Series_Label->setText(Compare_Results.Name);
    graph::add_result_points(*Series2, rates_of(Compare_Results));
    Series1->set_marks_visible(Show_Values_CheckBox->isChecked());
    // Both sets always look alike, whatever Series2 held before.
    Series2->assign_style(*Series1);
    platform::process_messages();
}

void TMainForm1::Show_Values_CheckBoxClick() {
    Graph_Results_BitBtnClick();
}

} // namespace smx::app
