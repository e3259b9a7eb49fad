// Kestal's entry point.
int main() { return 0; }
