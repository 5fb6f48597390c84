#pragma once
// The window that shows one training: its current marker in one of the views, with marker tabs.
#include <QWidget>
#include <string>

#include "analysis/KLTGraphicType.h"
#include "app/OptionData.h"
#include "core/KLTFileView.h"

class QPainter;
class QRect;

namespace klt {

class IDocumentHost;
class TKLTFile;

class TKLTChildForm : public QWidget, public IKLTFileView {
    Q_OBJECT

public:
    // Opens the training at path through the registry; throws what loading it throws.
    TKLTChildForm(const std::string& path, IDocumentHost& host, QWidget* parent = nullptr);
    ~TKLTChildForm() override;

    TKLTFile& File() const { return *file_; }
    int CurrentMarker() const { return currentMarker_; }
    void SetCurrentMarker(int marker);
    TKLTGraphicType View() const { return options_.KLTGraphicType; }
    const TOptionData& Options() const { return options_; }

    // Switches to the view, or toggles it when it is shown already; asks about pending edits of
    // the data editor first.
    void SetView(TKLTGraphicType view);
    void ApplyOptions(const TOptionData& options, bool force);

    // The Save command: writes the training (asking first when `ask`); false when cancelled.
    bool Save(bool ask);
    // Asks about unsaved changes of the training (when this is its last view) and of the data
    // editor; false when the user cancelled.
    bool CloseQuery();

    // The marker's caption with ";" and the view number when the training has several windows.
    std::string CaptionText() const;
    // Whether the view is drawn by a diagram (one line, multi line, analysis).
    bool IsPaintBoxView() const;
    // Draws the current view into the rectangle, for printing.
    void PrintTo(QPainter& painter, const QRect& page);
    // -2 no marker row, -1 no tab under the point, else the tab index (point in global coordinates).
    int MarkerTabAt(const QPoint& globalPos) const;

    void TrainingChanged(TKLTFile& file, int changes) override;
    void CloseView(TKLTFile& file) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    IDocumentHost& host_;
    TKLTFile* file_ = nullptr;
    int currentMarker_ = 0;
    TOptionData options_;
};

} // namespace klt
