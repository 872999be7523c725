// Linked with every object of one layer and the layers below it only, so that a call into a
// layer above fails to link.
int main() {
    return 0;
}
