/*
 * stm32f411_regs.h - the few STM32F411 peripheral registers the examples use.
 *
 * The examples talk to the hardware directly instead of through ST's HAL, so they
 * build with nothing but an arm-none-eabi toolchain. Addresses and bit positions
 * follow the STM32F411 reference manual (RM0383). If you add ST's CMSIS device
 * header (stm32f4xx.h) to the project later, remove this file: the names below
 * match CMSIS where they overlap and would clash.
 */
#ifndef STM32F411_REGS_H_
#define STM32F411_REGS_H_

#include <stdint.h>

#define REG32(address) (*(volatile uint32_t*)(address))

/* --- Reset and clock control --- */
typedef struct
{
    volatile uint32_t CR, PLLCFGR, CFGR, CIR, AHB1RSTR, AHB2RSTR, RESERVED0[2];
    volatile uint32_t APB1RSTR, APB2RSTR, RESERVED1[2];
    volatile uint32_t AHB1ENR, AHB2ENR, RESERVED2[2];
    volatile uint32_t APB1ENR, APB2ENR;
} RCC_TypeDef;
#define RCC ((RCC_TypeDef*)0x40023800u)

#define RCC_AHB1ENR_GPIOAEN (1u << 0)
#define RCC_AHB1ENR_GPIOBEN (1u << 1)
#define RCC_AHB1ENR_GPIOCEN (1u << 2)
#define RCC_AHB1ENR_DMA1EN  (1u << 21)
#define RCC_AHB1ENR_DMA2EN  (1u << 22)
#define RCC_APB1ENR_USART2EN (1u << 17)
#define RCC_APB2ENR_USART1EN (1u << 4)

/* --- General-purpose I/O --- */
typedef struct
{
    volatile uint32_t MODER, OTYPER, OSPEEDR, PUPDR, IDR, ODR, BSRR, LCKR, AFR[2];
} GPIO_TypeDef;
#define GPIOA ((GPIO_TypeDef*)0x40020000u)
#define GPIOB ((GPIO_TypeDef*)0x40020400u)
#define GPIOC ((GPIO_TypeDef*)0x40020800u)

#define GPIO_MODE_INPUT     0u
#define GPIO_MODE_OUTPUT    1u
#define GPIO_MODE_ALTERNATE 2u

/* --- USART --- */
typedef struct
{
    volatile uint32_t SR, DR, BRR, CR1, CR2, CR3, GTPR;
} USART_TypeDef;
#define USART1 ((USART_TypeDef*)0x40011000u)
#define USART2 ((USART_TypeDef*)0x40004400u)

#define USART_SR_TC    (1u << 6)
#define USART_CR1_RE   (1u << 2)
#define USART_CR1_TE   (1u << 3)
#define USART_CR1_UE   (1u << 13)
#define USART_CR3_DMAR (1u << 6)
#define USART_CR3_DMAT (1u << 7)

/* --- DMA controllers and their eight streams --- */
typedef struct
{
    volatile uint32_t CR, NDTR, PAR, M0AR, M1AR, FCR;
} DMA_Stream_TypeDef;

typedef struct
{
    volatile uint32_t LISR, HISR, LIFCR, HIFCR;
} DMA_TypeDef;
#define DMA1 ((DMA_TypeDef*)0x40026000u)
#define DMA2 ((DMA_TypeDef*)0x40026400u)
#define DMA_STREAM(dma, n) ((DMA_Stream_TypeDef*)((uint32_t)(dma) + 0x10u + 0x18u * (uint32_t)(n)))

#define DMA_SxCR_EN        (1u << 0)
#define DMA_SxCR_DIR_M2P   (1u << 6)
#define DMA_SxCR_CIRC      (1u << 8)
#define DMA_SxCR_MINC      (1u << 10)
#define DMA_SxCR_PL_HIGH   (2u << 16)
#define DMA_SxCR_CHSEL(ch) ((uint32_t)(ch) << 25)

/* --- Cortex-M4 core: SysTick and the FPU access control --- */
typedef struct
{
    volatile uint32_t CTRL, LOAD, VAL, CALIB;
} SysTick_TypeDef;
#define SysTick ((SysTick_TypeDef*)0xE000E010u)
#define SysTick_CTRL_ENABLE    (1u << 0)
#define SysTick_CTRL_TICKINT   (1u << 1)
#define SysTick_CTRL_CLKSOURCE (1u << 2)

#define SCB_CPACR REG32(0xE000ED88u)

/* Orders memory accesses before a DMA transfer is started. */
static inline void dataMemoryBarrier(void)
{
    __asm volatile("dmb" ::: "memory");
}

#endif /* STM32F411_REGS_H_ */
