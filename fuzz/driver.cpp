// Replays inputs into LLVMFuzzerTestOneInput when the target is built without libFuzzer: files
// named on the command line, or a given count of reproducible inputs from a seed list, random
// bytes and mutations of earlier inputs.
#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" const char *const *FuzzSeeds(); // null-terminated list of example inputs

int main(int argc, char **argv)
{
    long count = 10000;
    std::vector<QByteArray> pool;
    for (int i = 1; i < argc; ++i) {
        char *end = nullptr;
        const long n = std::strtol(argv[i], &end, 10);
        if (end && *end == 0 && n > 0) {
            count = n;
            continue;
        }
        QFile f(QString::fromLocal8Bit(argv[i]));
        if (f.open(QIODevice::ReadOnly))
            pool.push_back(f.readAll());
    }
    for (const char *const *s = FuzzSeeds(); s && *s; ++s)
        pool.push_back(QByteArray(*s));
    for (const QByteArray &b : pool)
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(b.constData()), size_t(b.size()));
    QRandomGenerator rng(20261211);
    static const char alphabet[] = "0123456789.:+ -\t\n/\xb7\xc2()[]\\%dxXsnZahlTextDatumJJMMTTgross";
    for (long i = 0; i < count; ++i) {
        QByteArray b;
        const int mode = int(rng.bounded(3));
        if (mode == 0 || pool.empty()) {
            const int len = int(rng.bounded(40));
            for (int k = 0; k < len; ++k)
                b.append(char(rng.bounded(256)));
        } else if (mode == 1) {
            const int len = int(rng.bounded(40));
            for (int k = 0; k < len; ++k)
                b.append(alphabet[rng.bounded(int(sizeof alphabet - 1))]);
        } else {
            b = pool[rng.bounded(int(pool.size()))];
            const int edits = 1 + int(rng.bounded(4));
            for (int k = 0; k < edits; ++k) {
                const int pos = b.isEmpty() ? 0 : int(rng.bounded(b.size() + 1));
                switch (rng.bounded(3)) {
                case 0: b.insert(pos, alphabet[rng.bounded(int(sizeof alphabet - 1))]); break;
                case 1: if (!b.isEmpty() && pos < b.size()) b.remove(pos, 1); break;
                default: if (!b.isEmpty() && pos < b.size()) b[pos] = char(rng.bounded(256)); break;
                }
            }
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(b.constData()), size_t(b.size()));
        if (pool.size() < 512)
            pool.push_back(b);
    }
    std::printf("fuzz: %ld inputs, no crash\n", count + long(pool.size() > 0));
    return 0;
}
