/* A C program that does nothing: the cost of starting a process at all, for comparison with
 * quorvel-probe's own start-up. */
int main(void) { return 0; }
