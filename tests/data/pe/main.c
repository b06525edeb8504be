/* The smallest program that links; the fixtures exist for their resources. */
int main(void) {
    return 0;
}
