// TinyModule.cpp - a module for the loading tests: two exports that say they were reached.
extern "C" {

__attribute__((visibility("default"))) int vexo_tiny_answer() {
    return 42;
}

__attribute__((visibility("default"))) int vexo_tiny_twice(int n) {
    return 2 * n;
}

} // extern "C"
