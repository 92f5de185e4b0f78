#pragma once
// Stand-ins for the window's outside services: they answer from a script and record calls.

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "gui/app/DesktopOpener.h"
#include "gui/app/FileChooser.h"
#include "gui/app/ProgramStarter.h"

namespace qx7::test {

// Answers every choice with the next queued path ("" = the user cancelled; an empty queue
// also answers "").
class FakeFileChooser final : public gui::IFileChooser {
  public:
    struct Call {
        QString kind;  // "open", "save", "folder"
        QString caption;
        QString start;  // folder or suggested name
        QString filter;
    };

    QString OpenFile(QWidget*, const QString& caption, const QString& folder,
                     const QString& filter) override {
        return Answer({QStringLiteral("open"), caption, folder, filter});
    }
    QString SaveFile(QWidget*, const QString& caption, const QString& suggested,
                     const QString& filter) override {
        return Answer({QStringLiteral("save"), caption, suggested, filter});
    }
    QString Folder(QWidget*, const QString& caption, const QString& start) override {
        return Answer({QStringLiteral("folder"), caption, start, {}});
    }

    std::deque<QString> answers;
    std::vector<Call> calls;

  private:
    QString Answer(Call call) {
        calls.push_back(std::move(call));
        if (answers.empty()) {
            return {};
        }
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class FakeDesktopOpener final : public gui::IDesktopOpener {
  public:
    bool Open(const QString& path) override {
        opened.push_back(path);
        return result;
    }
    std::vector<QString> opened;
    bool result = true;
};

class FakeProgramStarter final : public gui::IProgramStarter {
  public:
    struct Call {
        QString program;
        QStringList arguments;
    };
    bool Start(const QString& program, const QStringList& arguments) override {
        started.push_back({program, arguments});
        return result;
    }
    std::vector<Call> started;
    bool result = true;
};

}  // namespace qx7::test
