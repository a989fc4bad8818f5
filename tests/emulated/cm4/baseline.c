/* The baseline of the Cortex-M4 footprint figures: an empty main. */
int main(void)
{
    for (;;) {
    }
}
