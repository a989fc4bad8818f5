/* main() of every Cortex-M4 job: the board, then the generated manager. */
#include "board.h"
#include "gsm_manager.h"

int main(void)
{
    boardInit();
    gsmmgrInit();
    for (;;) {
        gsmmgrPoll();
    }
}
