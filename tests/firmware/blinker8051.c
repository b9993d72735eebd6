/* A small 8051 program for the reader's real-input test: vectors, code, a constant table with
   0xFF bytes in it (so presence cannot be told from a 0xFF-filled binary) and an interrupt. */
#include <8051.h>

__code const unsigned char pattern[] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80,
                                        0xFF, 0xFF, 0x00, 0x55, 0xAA};
volatile unsigned char ticks;

void timer0(void) __interrupt(1)
{
    ticks++;
}

void serial(void) __interrupt(4)
{
    if (RI) {
        RI = 0;
        P2 = SBUF;
    }
}

void main(void)
{
    unsigned char i;
    TMOD = 0x01;
    ET0 = 1;
    ES = 1;
    EA = 1;
    TR0 = 1;
    for (;;)
        for (i = 0; i < sizeof pattern; i++)
            P1 = pattern[i] ^ ticks;
}
