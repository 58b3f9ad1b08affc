#pragma once

class BenchTable;
class QString;

// The register every section measures: 100,000 full sites (or the count given on the
// command line), kept pristine; a section that changes a register works on a copy.
struct BenchRegister
{
    const QString &pristinePath;
    int sites;
};

// Each section adds its lines to the table; the world of the test support (the program
// with its windows, offscreen) is built over a copy of the register where a section needs it.
void benchList(BenchTable &table, const BenchRegister &bench);
void benchExports(BenchTable &table, const BenchRegister &bench);
void benchCompaction(BenchTable &table, const BenchRegister &bench);
void benchStart(BenchTable &table, const BenchRegister &bench);
void benchMillion(BenchTable &table);

// The helper modes a section runs in a fresh process of this program: true when argv asked for one.
bool runChildMode(int argc, char **argv);
