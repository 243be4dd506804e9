// The process-wide font map keeps fontconfig's patterns for as long as the process runs;
// fontconfig stores some of its pointers as offsets, which the leak checker cannot follow.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
