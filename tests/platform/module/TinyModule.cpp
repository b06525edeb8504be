// TinyModule.cpp - a module for the loading tests: two exports that say they were reached.
#ifdef _WIN32
#define VEXO_TINY_EXPORT __declspec(dllexport)
#else
#define VEXO_TINY_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

VEXO_TINY_EXPORT int vexo_tiny_answer() {
    return 42;
}

VEXO_TINY_EXPORT int vexo_tiny_twice(int n) {
    return 2 * n;
}

} // extern "C"
