/*
 * The one place where driver bytes leave for the panel. On a microcontroller,
 * either connect a byte writer with HMI_SetUartWrite, or replace the body of
 * SendChar with a direct write to the UART's data register.
 */
#include "hmi_user_uart.h"

#include <stddef.h>

static HmiUartWrite uart_write = NULL;

void HMI_SetUartWrite(HmiUartWrite write) {
    uart_write = write;
}

void SendChar(uint8_t byte) {
    if (uart_write != NULL)
        uart_write(byte);
}
