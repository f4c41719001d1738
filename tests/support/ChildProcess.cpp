#include "ChildProcess.h"

#include <signal.h>

#include <QProcess>
#include <algorithm>

namespace pivra::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv)
    : process_(std::make_unique<QProcess>()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const std::string& e : extraEnv) {
        const std::size_t eq = e.find('=');
        env.insert(QString::fromStdString(e.substr(0, eq)), QString::fromStdString(e.substr(eq + 1)));
    }
    QStringList args;
    for (std::size_t i = 1; i < argv.size(); ++i) args << QString::fromStdString(argv[i]);
    process_->setProcessEnvironment(env);
    process_->setStandardInputFile(QProcess::nullDevice());
    process_->start(QString::fromStdString(argv.at(0)), args);
    process_->waitForStarted(-1);
}

ChildProcess::~ChildProcess() {
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(-1);
    }
}

bool ChildProcess::waitForLines(int n) {
    while (lines_ < n) {
        if (process_->state() == QProcess::NotRunning && process_->bytesAvailable() == 0) return false;
        if (process_->bytesAvailable() == 0 && !process_->waitForReadyRead(60000)) return false;
        const std::string chunk = process_->readAllStandardOutput().toStdString();
        lines_ += static_cast<int>(std::count(chunk.begin(), chunk.end(), '\n'));
        out_ += chunk;
    }
    return true;
}

void ChildProcess::signal(int sig) const { ::kill(static_cast<pid_t>(process_->processId()), sig); }

ProcessResult ChildProcess::finish() {
    ProcessResult result;
    process_->waitForFinished(-1);
    if (process_->exitStatus() == QProcess::NormalExit) result.exitCode = process_->exitCode();
    result.out = out_ + process_->readAllStandardOutput().toStdString();
    result.err = process_->readAllStandardError().toStdString();
    return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    return ChildProcess(argv, extraEnv).finish();
}

}  // namespace pivra::test
