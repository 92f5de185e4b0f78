#pragma once
// The base of the dialogs the log page opens (file information, analysis, settings, export,
// statistics): the wizard's services, the tool's language and the controls by number, as a
// page has them.

#include <QDialog>
#include <QString>

#include "core/text/Language.h"
#include "gui/app/PageContext.h"

namespace qx7 {
class Messages;
}

namespace qx7::gui {

class ViewerDialog : public QDialog {
    Q_OBJECT

  public:
    // `className` becomes the object name ("CLogFileInfo"), by which tests and tools find it.
    ViewerDialog(const PageContext& context, const QString& className, QWidget* parent);

    // True while the dialog reads its log on a worker (and says so); readingFinished() comes
    // once what was read is shown.
    bool IsReading() const { return reading_; }

  signals:
    void readingFinished();

  protected:
    // The busy pointer over the dialog while its log is read off the window's thread.
    void BeginReading();
    void EndReading();

    const PageContext& Context() const { return context_; }
    CQVJServToolApp& App() const { return context_.app; }
    const Messages& Msg() const;
    LanguageId Language() const;
    // The string-table text in the tool's language ("" when missing).
    QString LocalText(int number) const;
    // SetCtrlText on a widget, or on the child control carrying the number as object name.
    int SetCtrlText(QWidget* widget, int number) const;
    int SetCtrlText(int control, int number) const;
    // The child control known by the number; nullptr when there is none.
    QWidget* Control(int number) const;
    template <class T>
    T* ControlAs(int number) const {
        return qobject_cast<T*>(Control(number));
    }

  private:
    PageContext context_;
    bool reading_ = false;
};

}  // namespace qx7::gui
