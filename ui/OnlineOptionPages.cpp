#include "ui/OnlineOptionPages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

#include "online/OnlineOptionsEditor.h"
#include "ui/MesswertDisplay.h"
#include "ui/PRGroupboxMesswertSkala.h"

namespace klt {
namespace {

// Ties controls to option fields: each change is written at once and reported.
class TBinder {
public:
    TBinder(const TOptionsChanged& changed, QWidget* parent) : changed_(changed), parent_(parent) {}

    QComboBox* Choice(const char* name, const QStringList& items, int32_t& value) const {
        auto* box = new QComboBox(parent_);
        box->setObjectName(name);
        box->addItems(items);
        box->setCurrentIndex(value >= 0 && value < box->count() ? value : -1);
        QObject::connect(box, &QComboBox::activated, parent_, [&value, changed = changed_](int index) {
            value = index;
            changed();
        });
        return box;
    }

    QSpinBox* Number(const char* name, int minimum, int maximum, int32_t& value) const {
        auto* box = new QSpinBox(parent_);
        box->setObjectName(name);
        box->setRange(minimum, maximum);
        box->setValue(value); // shown within the range; the option changes only when edited
        QObject::connect(box, &QSpinBox::valueChanged, parent_, [&value, changed = changed_](int typed) {
            value = typed;
            changed();
        });
        return box;
    }

    template <typename TFlag> QCheckBox* Switch(const char* name, const QString& text, TFlag& value) const {
        auto* box = new QCheckBox(text, parent_);
        box->setObjectName(name);
        box->setChecked(value != TFlag{});
        QObject::connect(box, &QCheckBox::toggled, parent_, [&value, changed = changed_](bool on) {
            value = static_cast<TFlag>(on);
            changed();
        });
        return box;
    }

private:
    TOptionsChanged changed_;
    QWidget* parent_;
};

QLabel* LabelFor(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

QWidget* CreateCommonOptionsPage(TOnlineOptionsEditor& editor, const TOptionsChanged& changed, QWidget* parent) {
    TOnlineCommonOptionSet& o = editor.Edit().OnlineCommonOptionSet;
    auto* page = new QWidget(parent);
    const TBinder bind(changed, page);
    auto* layout = new QHBoxLayout(page);

    auto* test = new QGroupBox(QObject::tr("Test"), page);
    auto* form = new QFormLayout(test);
    auto* rateRow = new QWidget(test);
    auto* rateLayout = new QHBoxLayout(rateRow);
    rateLayout->setContentsMargins(0, 0, 0, 0);
    auto* rate = new QSlider(Qt::Horizontal, rateRow);
    rate->setObjectName("ControlRate");
    rate->setRange(1, 10);
    rate->setPageStep(1);
    rate->setTickPosition(QSlider::TicksBelow);
    rate->setValue(o.ControlRate);
    QObject::connect(rate, &QSlider::valueChanged, page, [&o, changed](int value) {
        o.ControlRate = value;
        changed();
    });
    rateLayout->addWidget(new QLabel(QObject::tr("Fast"), rateRow));
    rateLayout->addWidget(rate, 1);
    rateLayout->addWidget(new QLabel(QObject::tr("Slow"), rateRow));
    form->addRow(LabelFor(QObject::tr("&Control rate:"), rate, test), rateRow);
    form->addRow(QObject::tr("&StartTestBy:"),
                 bind.Choice("StartTestBy", {QObject::tr("Cadence"), QObject::tr("Start Button")}, o.StartTestBy));
    form->addRow(QObject::tr("A&bortTestBy:"),
                 bind.Choice("AbortTestBy", {QObject::tr("no Cadence"), QObject::tr("End Button")}, o.AbortTestBy));

    auto* gearingRow = new QWidget(test);
    auto* gearingLayout = new QHBoxLayout(gearingRow);
    gearingLayout->setContentsMargins(0, 0, 0, 0);
    auto* variable = new QRadioButton(QObject::tr("&Variable"), gearingRow);
    auto* fixed = new QRadioButton(QObject::tr("&Fixed:"), gearingRow);
    fixed->setObjectName("GearingFixed");
    auto* low = bind.Number("GearingLow", 1, 99, o.GearingLow);
    auto* high = bind.Number("GearingHigh", 1, 99, o.GearingHigh);
    (o.Gearing == 1 ? fixed : variable)->setChecked(true);
    low->setEnabled(o.Gearing == 1);
    high->setEnabled(o.Gearing == 1);
    QObject::connect(fixed, &QRadioButton::toggled, page, [&o, changed, low, high](bool on) {
        o.Gearing = on ? 1 : 0;
        low->setEnabled(on);
        high->setEnabled(on);
        changed();
    });
    gearingLayout->addWidget(variable);
    gearingLayout->addWidget(fixed);
    gearingLayout->addWidget(low);
    gearingLayout->addWidget(new QLabel("/", gearingRow));
    gearingLayout->addWidget(high);
    gearingLayout->addStretch(1);
    form->addRow(QObject::tr("Gearing:"), gearingRow);

    const QStringList offOn = {QObject::tr("off"), QObject::tr("on")};
    form->addRow(QObject::tr("Automatic &markers:"), bind.Choice("AutomaticMarkers", offOn, o.AutomaticMarkers));
    form->addRow(QObject::tr("&NextPrevButtonMode:"),
                 bind.Choice("NextPrevButtonMode",
                             {QObject::tr("go to next/prev Step"), QObject::tr("go to next/prev marked Step")},
                             o.NextPrevButtonMode));
    form->addRow(QObject::tr("&HorseMode:"), bind.Choice("HorseMode", offOn, o.HorseMode));
    form->addRow(QObject::tr("Stop &Ergo Button:"),
                 bind.Choice("Breakfreewheel", {QObject::tr("off"), QObject::tr("on"), QObject::tr("on at Testend")},
                             o.Breakfreewheel));
    form->addRow(QString(), bind.Switch("SaveData", QObject::tr("Save &data at the end of a test"), o.SaveData));
    layout->addWidget(test, 3);

    auto* right = new QVBoxLayout;
    auto* brake = new QGroupBox(QObject::tr("Brake"), page);
    auto* brakeForm = new QFormLayout(brake);
    TBrakeOptionSet& b = o.BrakeOptionSet;
    brakeForm->addRow(QObject::tr("F&riction:"), bind.Number("Friction", 10, 150, b.Friction));
    brakeForm->addRow(QObject::tr("S&lope:"), bind.Number("Slope", 50, 250, b.Slope));
    brakeForm->addRow(QObject::tr("Fi&xpoint:"), bind.Number("Fixpoint", 500, 1500, b.Fixpoint));
    brakeForm->addRow(QString(), bind.Switch("FastBrakeReg", QObject::tr("Fas&t brake regulation"), o.FastBrakeReg));
    brakeForm->addRow(QString(), bind.Switch("OverridePowersupplyProtection",
                                             QObject::tr("&Override power-supply protection"),
                                             o.OverridePowersupplyProtection));
    right->addWidget(brake);
    right->addStretch(1);
    layout->addLayout(right, 2);
    return page;
}

QWidget* CreateChartOptionsPage(TOnlineOptionsEditor& editor, const TOptionsChanged& changed, QWidget* parent) {
    TOnlineMainChartOptionSet& o = editor.Edit().OnlineMainChartOptionSet;
    auto* page = new QWidget(parent);
    const TBinder bind(changed, page);
    auto* layout = new QVBoxLayout(page);

    auto* timeRow = new QHBoxLayout;
    auto* mode = bind.Choice("TimeScaleMode", {QObject::tr("Show allways entire Test"), QObject::tr("Show only the last")},
                             o.TimeScaleMode);
    auto* time = new QSpinBox(page);
    time->setObjectName("ChartTime");
    time->setRange(TOnlineMainChartOptionSet::kMinimumTime / 100, 24 * 3600);
    time->setSuffix(QObject::tr(" s"));
    time->setValue(o.Time() / 100);
    time->setEnabled(o.TimeScaleMode == 1);
    QObject::connect(time, &QSpinBox::valueChanged, page, [&o, changed](int seconds) {
        o.SetTime(seconds * 100);
        changed();
    });
    QObject::connect(mode, &QComboBox::activated, time, [time](int index) { time->setEnabled(index == 1); });
    timeRow->addWidget(LabelFor(QObject::tr("Time &scale:"), mode, page));
    timeRow->addWidget(mode);
    timeRow->addWidget(LabelFor(QObject::tr("T&ime:"), time, page));
    timeRow->addWidget(time);
    timeRow->addStretch(1);
    layout->addLayout(timeRow);

    auto* scales = new QGridLayout;
    const std::array<std::tuple<TOnlineSkalaOption*, QString, char>, 5> shown = {{
        {&o.PowerSkala, QString(), 'P'},
        {&o.HeartRateSkala, QString(), 'H'},
        {&o.CadenceSkala, QString(), 'C'},
        {&o.SpeedSkala, QString(), 'e'},
        {&o.HRVarianceSkala, QObject::tr("HR variance"), 'V'},
    }};
    for (size_t i = 0; i < shown.size(); ++i) {
        const auto& [option, title, accelerator] = shown[i];
        auto* box = new TPRGroupboxMesswertSkala(page);
        box->setObjectName(ToQString(std::string(option->Tag())));
        box->SetMesswertAccelChar(accelerator);
        box->SetSkala(&option->Skala);
        if (!title.isEmpty()) { // shares the power kind, so its own name tells it apart
            box->setTitle(title);
        }
        QObject::connect(box, &TPRGroupboxMesswertSkala::SkalaChanged, page, changed);
        scales->addWidget(box, static_cast<int>(i / 3), static_cast<int>(i % 3));
    }
    layout->addLayout(scales);
    layout->addStretch(1);
    return page;
}

QWidget* CreateErgometerModePage(TOnlineOptionsEditor& editor, const TOptionsChanged& changed, QWidget* parent) {
    TOnlineErgometerOptions& ergometer = editor.Edit().OnlineErgometerOptions;
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);

    auto* modeRow = new QHBoxLayout;
    auto* mode = new QComboBox(page);
    mode->setObjectName("ErgometerMode");
    mode->addItems({QObject::tr("Predefined File"), QObject::tr("Open End Test"), QObject::tr("Demo Mode"),
                    QObject::tr("Calibration Mode")});
    // Telemetry, manual and the error state are the window's to set: none is chosen here.
    mode->setCurrentIndex(ergometer.ErgometerMode() <= emCalibrationMode ? ergometer.ErgometerMode() : -1);
    QObject::connect(mode, &QComboBox::activated, page, [&ergometer, changed](int index) {
        ergometer.SetErgometerMode(static_cast<TErgometerMode>(index));
        changed();
    });
    modeRow->addWidget(LabelFor(QObject::tr("Ergometer &mode:"), mode, page));
    modeRow->addWidget(mode);
    modeRow->addStretch(1);
    layout->addLayout(modeRow);

    auto* users = new QGroupBox(QObject::tr("Open End Test users"), page);
    auto* grid = new QGridLayout(users);
    auto* list = new QListWidget(users);
    list->setObjectName("Users");
    auto* name = new QLineEdit(users);
    name->setObjectName("UserName");
    auto* add = new QPushButton(QObject::tr("A&dd"), users);
    add->setObjectName("AddUser");
    auto* remove = new QPushButton(QObject::tr("&Remove"), users);
    remove->setObjectName("RemoveUser");
    auto* current = new QPushButton(QObject::tr("Set &current user"), users);
    current->setObjectName("SelectUser");
    auto* weight = new QSpinBox(users);
    weight->setObjectName("UserWeight");
    weight->setRange(0, 300);
    weight->setSuffix(QObject::tr(" kg"));
    auto* height = new QSpinBox(users);
    height->setObjectName("UserHeight");
    height->setRange(0, 250);
    height->setSuffix(QObject::tr(" cm"));
    auto* currentLabel = new QLabel(users);
    currentLabel->setObjectName("CurrentUser");

    grid->addWidget(LabelFor(QObject::tr("&Users:"), list, users), 0, 0);
    grid->addWidget(currentLabel, 0, 1, 1, 3);
    grid->addWidget(list, 1, 0, 6, 1);
    grid->addWidget(LabelFor(QObject::tr("&Name:"), name, users), 1, 1);
    grid->addWidget(name, 1, 2);
    grid->addWidget(add, 1, 3);
    grid->addWidget(LabelFor(QObject::tr("&Weight:"), weight, users), 2, 1);
    grid->addWidget(weight, 2, 2);
    grid->addWidget(LabelFor(QObject::tr("&Height:"), height, users), 3, 1);
    grid->addWidget(height, 3, 2);
    grid->addWidget(current, 4, 2);
    grid->addWidget(remove, 5, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(6, 1);
    layout->addWidget(users, 1);

    const auto& set = ergometer.OpenEndTestOptionSet;
    auto show = std::make_shared<bool>(false); // true while the controls are filled from the options
    auto refresh = [&editor, &set, list, weight, height, remove, current, currentLabel, show](int row) {
        *show = true;
        list->clear();
        for (const TUser& user : set.UserNameList.Items()) {
            list->addItem(ToQString(user.Username));
        }
        const int currentUser = editor.CurrentUser();
        if (currentUser >= 0) {
            QFont bold = list->font();
            bold.setBold(true);
            list->item(currentUser)->setFont(bold);
        }
        list->setCurrentRow(std::min(row, list->count() - 1));
        const TUser* selected = list->currentRow() >= 0 ? set.UserNameList.Item(list->currentRow()) : nullptr;
        weight->setValue(selected != nullptr ? selected->Weight : 0);
        height->setValue(selected != nullptr ? selected->Height : 0);
        for (QWidget* control : std::initializer_list<QWidget*>{weight, height, remove, current}) {
            control->setEnabled(selected != nullptr);
        }
        currentLabel->setText(QObject::tr("Current user: %1")
                                  .arg(currentUser >= 0 ? ToQString(set.CurrentUser) : QObject::tr("none")));
        *show = false;
    };
    refresh(editor.CurrentUser());
    QObject::connect(list, &QListWidget::currentRowChanged, page, [refresh, show](int row) {
        if (!*show) {
            refresh(row);
        }
    });
    QObject::connect(add, &QPushButton::clicked, page, [&editor, name, refresh, changed] {
        const int added = editor.AddUser(name->text().toStdString());
        if (added >= 0) {
            name->clear();
            refresh(added);
            changed();
        }
    });
    QObject::connect(remove, &QPushButton::clicked, page, [&editor, list, refresh, changed] {
        const int row = list->currentRow();
        editor.DeleteUser(row);
        refresh(row);
        changed();
    });
    QObject::connect(current, &QPushButton::clicked, page, [&editor, list, refresh, changed] {
        const int row = list->currentRow();
        editor.SelectUser(row);
        refresh(row);
        changed();
    });
    auto resize = [&editor, list, weight, height, show, changed] {
        if (!*show) {
            editor.SetUserSize(list->currentRow(), weight->value(), height->value());
            changed();
        }
    };
    QObject::connect(weight, &QSpinBox::valueChanged, page, resize);
    QObject::connect(height, &QSpinBox::valueChanged, page, resize);
    return page;
}

QWidget* CreateDemoOptionsPage(TOnlineOptionsEditor& editor, const TOptionsChanged& changed, QWidget* parent) {
    TOnlineDemoModeOptionSet& o = editor.Edit().OnlineDemoModeOptionSet;
    auto* page = new QWidget(parent);
    const TBinder bind(changed, page);
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QObject::tr("&Kind:"),
                 bind.Choice("DemoMode",
                             {QObject::tr("Steady Power"), QObject::tr("Max Power"), QObject::tr("Max Distance"),
                              QObject::tr("Race")},
                             o.DemoMode));
    form->addRow(QObject::tr("&Time:"), bind.Number("DemoTime", 0, 999999, o.Time));
    layout->addLayout(form);

    auto* group = new QGroupBox(QObject::tr("Categories"), page);
    auto* grid = new QGridLayout(group);
    auto* table = new QTableWidget(0, 3, group);
    table->setObjectName("Categories");
    table->setHorizontalHeaderLabels({QObject::tr("Name"), QObject::tr("Watt"), QObject::tr("Tolerance")});
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* name = new QLineEdit(group);
    name->setObjectName("CategorieName");
    name->setMaxLength(static_cast<int>(TKLTDemoCategorie::kMaxNameChars));
    auto* watts = new QSpinBox(group);
    watts->setObjectName("CategorieWatt");
    watts->setRange(0, TOnlineOptionsEditor::kMaxCategorieWatts);
    watts->setSuffix(QObject::tr(" W"));
    auto* tolerance = new QSpinBox(group);
    tolerance->setObjectName("CategorieTolerance");
    tolerance->setRange(0, 1000);
    auto* add = new QPushButton(QObject::tr("A&dd"), group);
    add->setObjectName("AddCategorie");
    auto* edit = new QPushButton(QObject::tr("&Edit"), group);
    edit->setObjectName("EditCategorie");
    auto* remove = new QPushButton(QObject::tr("De&lete"), group);
    remove->setObjectName("DeleteCategorie");

    grid->addWidget(table, 0, 0, 5, 1);
    grid->addWidget(LabelFor(QObject::tr("&Name:"), name, group), 0, 1);
    grid->addWidget(name, 0, 2, 1, 2);
    grid->addWidget(LabelFor(QObject::tr("&Watt:"), watts, group), 1, 1);
    grid->addWidget(watts, 1, 2);
    grid->addWidget(LabelFor(QObject::tr("T&olerance:"), tolerance, group), 2, 1);
    grid->addWidget(tolerance, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(edit);
    buttons->addWidget(remove);
    grid->addLayout(buttons, 3, 1, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(4, 1);
    layout->addWidget(group, 1);

    auto refresh = [&o, table, edit, remove](int row) {
        table->setRowCount(o.Categories.Count());
        for (int i = 0; i < o.Categories.Count(); ++i) {
            const TKLTDemoCategorie& categorie = o.Categories.Items()[static_cast<size_t>(i)];
            table->setItem(i, 0, new QTableWidgetItem(ToQString(categorie.Name())));
            table->setItem(i, 1, new QTableWidgetItem(QString::number(categorie.Watt / 8)));
            table->setItem(i, 2, new QTableWidgetItem(QString::number(categorie.Tolerance)));
        }
        table->setCurrentCell(std::min(row, table->rowCount() - 1), 0);
        edit->setEnabled(table->currentRow() >= 0);
        remove->setEnabled(table->currentRow() >= 0);
    };
    QObject::connect(table, &QTableWidget::currentCellChanged, page, [&o, name, watts, tolerance](int row) {
        if (const TKLTDemoCategorie* categorie = row >= 0 ? o.Categories.Item(row) : nullptr) {
            name->setText(ToQString(categorie->Name()));
            watts->setValue(categorie->Watt / 8);
            tolerance->setValue(categorie->Tolerance);
        }
    });
    refresh(0);
    auto put = [&editor, name, watts, tolerance, refresh, changed](int row) {
        if (editor.PutCategorie(row, name->text().toStdString(), watts->value(), tolerance->value())) {
            refresh(row);
            changed();
        }
    };
    QObject::connect(add, &QPushButton::clicked, page, [&o, put] { put(o.Categories.Count()); });
    QObject::connect(edit, &QPushButton::clicked, page, [table, put] { put(table->currentRow()); });
    QObject::connect(remove, &QPushButton::clicked, page, [&editor, table, refresh, changed] {
        const int row = table->currentRow();
        editor.DeleteCategorie(row);
        refresh(row);
        changed();
    });
    return page;
}

} // namespace klt
