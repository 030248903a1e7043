/* Preloaded into the sanitizer runs only: keeps every dlopen'ed library
   mapped until exit, so that the leak checker can name the OpenGL driver's
   own allocations (and the suppressions can match them) instead of seeing
   frames of an unloaded "<unknown module>". */
int dlclose(void* handle)
{
    (void)handle;
    return 0;
}
