/* A Win32 client that adds a key of its own at each call of
 * WritePrivateProfileStringA: "<prefix><n>=<n>" in [Client] of the file.
 *   win32_client FILE PREFIX COUNT PAUSE_MS
 * Built with MinGW and run under Wine by bench/e2e/wine-client.sh. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
int main(int argc, char **argv)
{
    if (argc < 5) return 2;
    const char *file = argv[1], *prefix = argv[2];
    int count = atoi(argv[3]), pace = atoi(argv[4]), ok = 0;
    char key[64], value[64];
    for (int i = 0; i < count; ++i) {
        sprintf(key, "%s%d", prefix, i);
        sprintf(value, "%d", i);
        if (WritePrivateProfileStringA("Client", key, value, file)) ++ok;
        if (pace > 0) Sleep(pace);
    }
    printf("written=%d\n", ok);
    return 0;
}
