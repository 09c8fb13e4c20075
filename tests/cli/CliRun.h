#pragma once
// Running gessoria-cli as a user runs it, for the command tests.

#include "support/TestFiles.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace gessoria::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline CliRun RunCli(const std::string& arguments)
{
    const auto errPath = FreshDirectory("cli") / "stderr.txt";
    const std::string command = std::string(GESSORIA_CLI) + " " + arguments + " 2>" + errPath.string();
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[65536];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errPath);
    std::stringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
}

inline QJsonObject ParseJson(const std::string& text)
{
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(text));
    EXPECT_TRUE(document.isObject()) << text.substr(0, 200);
    return document.object();
}

} // namespace gessoria::test
