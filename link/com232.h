// The serial line to the sensor pair: frame build and decode, the receive
// notification, the reply wait, the echo check and the port start-up.
#pragma once

#include <cstdint>

void FillTxBuf(unsigned short cmd, unsigned short arg, const unsigned short* words);
int GetRxBuf();
void RX_Receive_Function(int port, int events, void* callbackData);
int WaitRxFull();
int CheckComLine(int port);
void InitRS232(int port);
// The status text for an OpenComConfig error code.
const char* RS232ErrorText(int code);
// Big-endian word at `offset` of szReadBuf.
uint16_t ReadBufWord(int offset);

int CC_DropDCom(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);
