// iniop: runs a profile-call script from standard input through the
// platform layer and prints one result line per command, so that the
// Windows behaviour vectors can be replayed against it.
#include "IniScript.h"

#include <cstdio>
#include <string>

int main()
{
    std::string line;
    int c;
    bool more = true;
    while (more) {
        line.clear();
        while ((c = std::getchar()) != EOF && c != '\n')
            line.push_back(char(c));
        more = c != EOF;
        if (!more && line.empty())
            break;
        const std::optional<QByteArray> out =
            IniScript::Execute(QByteArray(line.data(), qsizetype(line.size())));
        if (out) {
            std::fwrite(out->constData(), 1, size_t(out->size()), stdout);
            std::fputc('\n', stdout);
        }
    }
    return 0;
}
