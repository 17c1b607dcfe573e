// Test helper: writes large values into one key of a profile file for ever,
// so that a test can kill it at any moment and look at what is left.
//   profile_write_loop FILE SIZE
// writes SIZE bytes of 'a', then of 'b', then 'a' again... into [s] k.

#include "platform/Profile.h"

#include <QByteArray>
#include <QFile>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const QString path = QFile::decodeName(argv[1]);
    const int size = std::atoi(argv[2]);
    const QByteArray values[2] = {QByteArray(size, 'a'), QByteArray(size, 'b')};
    for (unsigned n = 0;; ++n) {
        const ProfileResult r = Profile::WriteString(path, "s", "k", values[n % 2]);
        if (!r) {
            std::fprintf(stderr, "%s\n", qPrintable(r.message));
            return 1;
        }
        if (n == 0) {
            std::puts("writing");
            std::fflush(stdout);
        }
    }
}
