#include "RunProcess.h"

#include <QProcess>

namespace pivra::test {

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const std::string& e : extraEnv) {
        const std::size_t eq = e.find('=');
        env.insert(QString::fromStdString(e.substr(0, eq)), QString::fromStdString(e.substr(eq + 1)));
    }
    QStringList args;
    for (std::size_t i = 1; i < argv.size(); ++i) args << QString::fromStdString(argv[i]);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QString::fromStdString(argv.at(0)), args);
    ProcessResult result;
    if (!process.waitForFinished(-1)) return result;
    if (process.exitStatus() == QProcess::NormalExit) result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

}  // namespace pivra::test
