// ThreadSanitizer cannot see the atomics inside libpulse (it is not built with the sanitizer),
// so it reports the client library locking its own main-loop mutex as a race. Only that is
// hidden; races in our callbacks and the sample ring are still reported.
extern "C" const char* __tsan_default_suppressions() {
    return "race:pa_mutex_lock\n";
}
