// Leaks the checker reports that are not the tree's, for every program the tree builds under the
// sanitizers (the client, its tools and the test programs), so that a report means a leak of ours.

// The process-wide font map keeps fontconfig's patterns for as long as the process runs;
// fontconfig stores some of its pointers as offsets, which the leak checker cannot follow.
// Shared libraries' own initialisers keep what they allocate for the life of the process;
// allocations of the tree's code never run there.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:_dl_init\n";
}
