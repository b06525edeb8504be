/* Stand-in for the accounting program: the sample package needs a file with a version. */
int main(void) {
    return 0;
}
