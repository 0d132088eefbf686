// Definitions of the program-wide state, with the start values that hold
// before InitVars runs.
#include "params/vars.h"

ParameterRecord parameter = {};

uint16_t ccdtype = 0, ccdmaxpixel = 1024, ccdresolution = 0, pcbtype = 0;
uint16_t ccdvirtpixel = 4096, ccdsubpixel = 2048;
uint16_t ccdpixB = 0, ccdpixE = 0, softversion = 0, hwtype = 0, adcmax = 0;
uint16_t ADCMAX = 256, YAXISMAX = 2048;
int MAXPOINT = 128;

uint16_t tVal = 0, tolup = 0, tollo = 0, curposA = 0, curposB = 0;

uint16_t adcbufA[256], adcbufB[256];
uint16_t mvalBUFA[256], mvalBUFB[256], mvalBUFAB[256];
double xArrayMVAL[256];
double xArray128[128];
uint16_t thdArrayA[256], thdArrayB[256];
uint16_t trgBUFA[256], trgBUFB[256];
uint16_t upTHD[256], loTHD[256], refTHD[256];
double arrayNORM[700];
uint16_t linArray[2048];

int com = 1;
char szWriteBuf[1024], szReadBuf[1024];
uint16_t pp[16];
int nBytesW = 0, nBytesR = 0;
int rx_flag = 0, graph_flag = 0, stop_flag = 1;
int eventMask = LWRS_RECEIVE | LWRS_RXFLAG | LWRS_TXEMPTY;  // 0x8006
double TIMEOUT = 1.5;
int target = 1;

char szStatus[TEXT_LEN] = "InitVars";
char szVersion[TEXT_LEN] = "";
char szSoftVersion[TEXT_LEN] = "Version 3.05b";
char szSoftName[TEXT_LEN] = "K-VOR-QX-MS-Scope";
char szDate[24] = "", szTime[12] = "";
char proj_dir[MAX_PATHNAME_LEN] = "";
char file_name[MAX_PATHNAME_LEN] = "";
char recfile_name[MAX_PATHNAME_LEN] = "";

int pHandle = 0, pPara0 = 0, pPara1 = 0, pPara2 = 0, pCalib = 0, pTrigg = 0, pPopUp = 0;

void ShowStatus(const char* text) {
    CopyText(szStatus, text);
    ShowStatus();
}

void ShowStatus() { SetCtrlVal(pHandle, TEXTStatus, szStatus); }
