#include "core/handover.h"

HandOver& handOver()
{
    static HandOver values;
    return values;
}

void resetHandOver() { handOver() = HandOver{}; }
