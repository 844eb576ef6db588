/*
 * Serial output of the panel driver. Every byte of every command goes through
 * SendChar; the application connects it to its UART once at start-up.
 */
#ifndef HMI_USER_UART_H
#define HMI_USER_UART_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Writes one byte to the panel's serial line (blocking until it is queued). */
typedef void (*HmiUartWrite)(uint8_t byte);

/* Connects the driver to the UART: `write` is called for every byte. */
void HMI_SetUartWrite(HmiUartWrite write);

/* Sends one byte to the panel; does nothing until a writer is connected. */
void SendChar(uint8_t byte);

#ifdef __cplusplus
}
#endif

#endif
