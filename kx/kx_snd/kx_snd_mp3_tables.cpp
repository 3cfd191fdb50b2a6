// kx_snd_mp3_tables: the fixed data of MPEG-1 Layer III decoding (Huffman code tables, scale
// factor bands, synthesis window) and the tables derived from them once at first use.
#include "kx/kx_snd/kx_snd_mp3_local.h"

#include <cmath>

// ---------------------------------------------------------------------------------------------
// Fixed data
// ---------------------------------------------------------------------------------------------

// Scale factor band boundaries in spectral lines; rate index 0 = 44100, 1 = 48000, 2 = 32000.
const int16_t kx_snd_mp3_sfb_long[3][23] = {
    {0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
    {0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
    {0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
};

// Short blocks: boundaries within one window of 192 lines.
const int16_t kx_snd_mp3_sfb_short[3][14] = {
    {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192},
    {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192},
    {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192},
};

// Synthesis window D[0..256] in units of 1/65536 (every coefficient is such a multiple). The
// second half mirrors the first: D[512 - i] = -D[i], except at multiples of 64 where the sign
// stays.
const int32_t kx_snd_mp3_window_int[257] = {
    0, -1, -1, -1, -1, -1, -1, -2, -2, -2, -2, -3,
    -3, -4, -4, -5, -5, -6, -7, -7, -8, -9, -10, -11,
    -13, -14, -16, -17, -19, -21, -24, -26, -29, -31, -35, -38,
    -41, -45, -49, -53, -58, -63, -68, -73, -79, -85, -91, -97,
    -104, -111, -117, -125, -132, -139, -147, -154, -161, -169, -176, -183,
    -190, -196, -202, -208, 213, 218, 222, 225, 228, 228, 228, 227,
    224, 221, 215, 208, 200, 189, 177, 163, 146, 127, 106, 83,
    57, 29, -2, -36, -72, -111, -153, -197, -244, -294, -347, -401,
    -459, -519, -581, -645, -711, -779, -848, -919, -991, -1064, -1137, -1210,
    -1283, -1356, -1428, -1498, -1567, -1634, -1698, -1759, -1817, -1870, -1919, -1962,
    -2001, -2032, -2057, -2075, -2085, -2087, -2080, -2063, 2037, 2000, 1952, 1893,
    1822, 1739, 1644, 1535, 1414, 1280, 1131, 970, 794, 605, 402, 185,
    -45, -288, -545, -814, -1095, -1388, -1692, -2006, -2330, -2663, -3004, -3351,
    -3705, -4063, -4425, -4788, -5153, -5517, -5879, -6237, -6589, -6935, -7271, -7597,
    -7910, -8209, -8491, -8755, -8998, -9219, -9416, -9585, -9727, -9838, -9916, -9959,
    -9966, -9935, -9863, -9750, -9592, -9389, -9139, -8840, -8492, -8092, -7640, -7134,
    6574, 5959, 5288, 4561, 3776, 2935, 2037, 1082, 70, -998, -2122, -3300,
    -4533, -5818, -7154, -8540, -9975, -11455, -12980, -14548, -16155, -17799, -19478, -21189,
    -22929, -24694, -26482, -28289, -30112, -31947, -33791, -35640, -37489, -39336, -41176, -43006,
    -44821, -46617, -48390, -50137, -51853, -53534, -55178, -56778, -58333, -59838, -61289, -62684,
    -64019, -65290, -66494, -67629, -68692, -69679, -70590, -71420, -72169, -72835, -73415, -73908,
    -74313, -74630, -74856, -74992, 75038,
};

// Huffman code tables for pairs, entry x * size + y.
// Table 1: 2x2 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_1[4] = {
    0x1000001, 0x3000001, 0x2000001, 0x3000000,
};

// Table 2: 3x3 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_2[9] = {
    0x1000001, 0x3000002, 0x6000001, 0x3000003, 0x3000001, 0x5000001, 0x5000003, 0x5000002,
    0x6000000,
};

// Table 3: 3x3 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_3[9] = {
    0x2000003, 0x2000002, 0x6000001, 0x3000001, 0x2000001, 0x5000001, 0x5000003, 0x5000002,
    0x6000000,
};

// Table 5: 4x4 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_5[16] = {
    0x1000001, 0x3000002, 0x6000006, 0x7000005, 0x3000003, 0x3000001, 0x6000004, 0x7000004,
    0x6000007, 0x6000005, 0x7000007, 0x8000001, 0x7000006, 0x6000001, 0x7000001, 0x8000000,
};

// Table 6: 4x4 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_6[16] = {
    0x3000007, 0x3000003, 0x5000005, 0x7000001, 0x3000006, 0x2000002, 0x4000003, 0x5000002,
    0x4000005, 0x4000004, 0x5000004, 0x6000001, 0x6000003, 0x5000003, 0x6000002, 0x7000000,
};

// Table 7: 6x6 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_7[36] = {
    0x1000001, 0x3000002, 0x600000a, 0x8000013, 0x8000010, 0x900000a, 0x3000003, 0x4000003,
    0x6000007, 0x700000a, 0x7000005, 0x8000003, 0x600000b, 0x5000004, 0x700000d, 0x8000011,
    0x8000008, 0x9000004, 0x700000c, 0x700000b, 0x8000012, 0x900000f, 0x900000b, 0x9000002,
    0x7000007, 0x7000006, 0x8000009, 0x900000e, 0x9000003, 0xa000001, 0x8000006, 0x8000004,
    0x9000005, 0xa000003, 0xa000002, 0xa000000,
};

// Table 8: 6x6 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_8[36] = {
    0x2000003, 0x3000004, 0x6000006, 0x8000012, 0x800000c, 0x9000005, 0x3000005, 0x2000001,
    0x4000002, 0x8000010, 0x8000009, 0x8000003, 0x6000007, 0x4000003, 0x6000005, 0x800000e,
    0x8000007, 0x9000003, 0x8000013, 0x8000011, 0x800000f, 0x900000d, 0x900000a, 0xa000004,
    0x800000d, 0x7000005, 0x8000008, 0x900000b, 0xa000005, 0xa000001, 0x900000c, 0x8000004,
    0x9000004, 0x9000001, 0xb000001, 0xb000000,
};

// Table 9: 6x6 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_9[36] = {
    0x3000007, 0x3000005, 0x5000009, 0x600000e, 0x800000f, 0x9000007, 0x3000006, 0x3000004,
    0x4000005, 0x5000005, 0x6000006, 0x8000007, 0x4000007, 0x4000006, 0x5000008, 0x6000008,
    0x7000008, 0x8000005, 0x600000f, 0x5000006, 0x6000009, 0x700000a, 0x7000005, 0x8000001,
    0x700000b, 0x6000007, 0x7000009, 0x7000006, 0x8000004, 0x9000001, 0x800000e, 0x7000004,
    0x8000006, 0x8000002, 0x9000006, 0x9000000,
};

// Table 10: 8x8 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_10[64] = {
    0x1000001, 0x3000002, 0x600000a, 0x8000017, 0x9000023, 0x900001e, 0x900000c, 0xa000011,
    0x3000003, 0x4000003, 0x6000008, 0x700000c, 0x8000012, 0x9000015, 0x800000c, 0x8000007,
    0x600000b, 0x6000009, 0x700000f, 0x8000015, 0x9000020, 0xa000028, 0x9000013, 0x9000006,
    0x700000e, 0x700000d, 0x8000016, 0x9000022, 0xa00002e, 0xa000017, 0x9000012, 0xa000007,
    0x8000014, 0x8000013, 0x9000021, 0xa00002f, 0xa00001b, 0xa000016, 0xa000009, 0xa000003,
    0x900001f, 0x9000016, 0xa000029, 0xa00001a, 0xb000015, 0xb000014, 0xa000005, 0xb000003,
    0x800000e, 0x800000d, 0x900000a, 0xa00000b, 0xa000010, 0xa000006, 0xb000005, 0xb000001,
    0x9000009, 0x8000008, 0x9000007, 0xa000008, 0xa000004, 0xb000004, 0xb000002, 0xb000000,
};

// Table 11: 8x8 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_11[64] = {
    0x2000003, 0x3000004, 0x500000a, 0x7000018, 0x8000022, 0x9000021, 0x8000015, 0x900000f,
    0x3000005, 0x3000003, 0x4000004, 0x600000a, 0x8000020, 0x8000011, 0x700000b, 0x800000a,
    0x500000b, 0x5000007, 0x600000d, 0x7000012, 0x800001e, 0x900001f, 0x8000014, 0x8000005,
    0x7000019, 0x600000b, 0x7000013, 0x900003b, 0x800001b, 0xa000012, 0x800000c, 0x9000005,
    0x8000023, 0x8000021, 0x800001f, 0x900003a, 0x900001e, 0xa000010, 0x9000007, 0xa000005,
    0x800001c, 0x800001a, 0x9000020, 0xa000013, 0xa000011, 0xb00000f, 0xa000008, 0xb00000e,
    0x800000e, 0x700000c, 0x7000009, 0x800000d, 0x900000e, 0xa000009, 0xa000004, 0xa000001,
    0x800000b, 0x7000004, 0x8000006, 0x9000006, 0xa000006, 0xa000003, 0xa000002, 0xa000000,
};

// Table 12: 8x8 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_12[64] = {
    0x4000009, 0x3000006, 0x5000010, 0x7000021, 0x8000029, 0x9000027, 0x9000026, 0x900001a,
    0x3000007, 0x3000005, 0x4000006, 0x5000009, 0x7000017, 0x7000010, 0x800001a, 0x800000b,
    0x5000011, 0x4000007, 0x500000b, 0x600000e, 0x7000015, 0x800001e, 0x700000a, 0x8000007,
    0x6000011, 0x500000a, 0x600000f, 0x600000c, 0x7000012, 0x800001c, 0x800000e, 0x8000005,
    0x7000020, 0x600000d, 0x7000016, 0x7000013, 0x8000012, 0x8000010, 0x8000009, 0x9000005,
    0x8000028, 0x7000011, 0x800001f, 0x800001d, 0x8000011, 0x900000d, 0x8000004, 0x9000002,
    0x800001b, 0x700000c, 0x700000b, 0x800000f, 0x800000a, 0x9000007, 0x9000004, 0xa000001,
    0x900001b, 0x800000c, 0x8000008, 0x900000c, 0x9000006, 0x9000003, 0x9000001, 0xa000000,
};

// Table 13: 16x16 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_13[256] = {
    0x1000001, 0x4000005, 0x600000e, 0x7000015, 0x8000022, 0x9000033, 0x900002e, 0xa000047,
    0x900002a, 0xa000034, 0xb000044, 0xb000034, 0xc000043, 0xc00002c, 0xd00002b, 0xd000013,
    0x3000003, 0x4000004, 0x600000c, 0x7000013, 0x800001f, 0x800001a, 0x900002c, 0x9000021,
    0x900001f, 0x9000018, 0xa000020, 0xa000018, 0xb00001f, 0xc000023, 0xc000016, 0xc00000e,
    0x600000f, 0x600000d, 0x7000017, 0x8000024, 0x900003b, 0x9000031, 0xa00004d, 0xa000041,
    0x900001d, 0xa000028, 0xa00001e, 0xb000028, 0xb00001b, 0xc000021, 0xd00002a, 0xd000010,
    0x7000016, 0x7000014, 0x8000025, 0x900003d, 0x9000038, 0xa00004f, 0xa000049, 0xa000040,
    0xa00002b, 0xb00004c, 0xb000038, 0xb000025, 0xb00001a, 0xc00001f, 0xd000019, 0xd00000e,
    0x8000023, 0x7000010, 0x900003c, 0x9000039, 0xa000061, 0xa00004b, 0xb000072, 0xb00005b,
    0xa000036, 0xb000049, 0xb000037, 0xc000029, 0xc000030, 0xd000035, 0xd000017, 0xe000018,
    0x900003a, 0x800001b, 0x9000032, 0xa000060, 0xa00004c, 0xa000046, 0xb00005d, 0xb000054,
    0xb00004d, 0xb00003a, 0xc00004f, 0xb00001d, 0xd00004a, 0xd000031, 0xe000029, 0xe000011,
    0x900002f, 0x900002d, 0xa00004e, 0xa00004a, 0xb000073, 0xb00005e, 0xb00005a, 0xb00004f,
    0xb000045, 0xc000053, 0xc000047, 0xc000032, 0xd00003b, 0xd000026, 0xe000024, 0xe00000f,
    0xa000048, 0x9000022, 0xa000038, 0xb00005f, 0xb00005c, 0xb000055, 0xc00005b, 0xc00005a,
    0xc000056, 0xc000049, 0xd00004d, 0xd000041, 0xd000033, 0xe00002c, 0x1000002b, 0x1000002a,
    0x900002b, 0x8000014, 0x900001e, 0xa00002c, 0xa000037, 0xb00004e, 0xb000048, 0xc000057,
    0xc00004e, 0xc00003d, 0xc00002e, 0xd000036, 0xd000025, 0xe00001e, 0xf000014, 0xf000010,
    0xa000035, 0x9000019, 0xa000029, 0xa000025, 0xb00002c, 0xb00003b, 0xb000036, 0xd000051,
    0xc000042, 0xd00004c, 0xd000039, 0xe000036, 0xe000025, 0xe000012, 0x10000027, 0xf00000b,
    0xa000023, 0xa000021, 0xa00001f, 0xb000039, 0xb00002a, 0xc000052, 0xc000048, 0xd000050,
    0xc00002f, 0xd00003a, 0xe000037, 0xd000015, 0xe000016, 0xf00001a, 0x10000026, 0x11000016,
    0xb000035, 0xa000019, 0xa000017, 0xb000026, 0xc000046, 0xc00003c, 0xc000033, 0xc000024,
    0xd000037, 0xd00001a, 0xd000022, 0xe000017, 0xf00001b, 0xf00000e, 0xf000009, 0x10000007,
    0xb000022, 0xb000020, 0xb00001c, 0xc000027, 0xc000031, 0xd00004b, 0xc00001e, 0xd000034,
    0xe000030, 0xe000028, 0xf000034, 0xf00001c, 0xf000012, 0x10000011, 0x10000009, 0x10000005,
    0xc00002d, 0xb000015, 0xc000022, 0xd000040, 0xd000038, 0xd000032, 0xe000031, 0xe00002d,
    0xe00001f, 0xe000013, 0xe00000c, 0xf00000f, 0x1000000a, 0xf000007, 0x10000006, 0x10000003,
    0xd000030, 0xc000017, 0xc000014, 0xd000027, 0xd000024, 0xd000023, 0xf000035, 0xe000015,
    0xe000010, 0x11000017, 0xf00000d, 0xf00000a, 0xf000006, 0x11000001, 0x10000004, 0x10000002,
    0xc000010, 0xc00000f, 0xd000011, 0xe00001b, 0xe000019, 0xe000014, 0xf00001d, 0xe00000b,
    0xf000011, 0xf00000c, 0x10000010, 0x10000008, 0x13000001, 0x12000001, 0x13000000, 0x10000001,
};

// Table 15: 16x16 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_15[256] = {
    0x3000007, 0x400000c, 0x5000012, 0x7000035, 0x700002f, 0x800004c, 0x900007c, 0x900006c,
    0x9000059, 0xa00007b, 0xa00006c, 0xb000077, 0xb00006b, 0xb000051, 0xc00007a, 0xd00003f,
    0x400000d, 0x3000005, 0x5000010, 0x600001b, 0x700002e, 0x7000024, 0x800003d, 0x8000033,
    0x800002a, 0x9000046, 0x9000034, 0xa000053, 0xa000041, 0xa000029, 0xb00003b, 0xb000024,
    0x5000013, 0x5000011, 0x500000f, 0x6000018, 0x7000029, 0x7000022, 0x800003b, 0x8000030,
    0x8000028, 0x9000040, 0x9000032, 0xa00004e, 0xa00003e, 0xb000050, 0xb000038, 0xb000021,
    0x600001d, 0x600001c, 0x6000019, 0x700002b, 0x7000027, 0x800003f, 0x8000037, 0x900005d,
    0x900004c, 0x900003b, 0xa00005d, 0xa000048, 0xa000036, 0xb00004b, 0xb000032, 0xb00001d,
    0x7000034, 0x6000016, 0x700002a, 0x7000028, 0x8000043, 0x8000039, 0x900005f, 0x900004f,
    0x9000048, 0x9000039, 0xa000059, 0xa000045, 0xa000031, 0xb000042, 0xb00002e, 0xb00001b,
    0x800004d, 0x7000025, 0x7000023, 0x8000042, 0x800003a, 0x8000034, 0x900005b, 0x900004a,
    0x900003e, 0x9000030, 0xa00004f, 0xa00003f, 0xb00005a, 0xb00003e, 0xb000028, 0xc000026,
    0x900007d, 0x7000020, 0x800003c, 0x8000038, 0x8000032, 0x900005c, 0x900004e, 0x9000041,
    0x9000037, 0xa000057, 0xa000047, 0xa000033, 0xb000049, 0xb000033, 0xc000046, 0xc00001e,
    0x900006d, 0x8000035, 0x8000031, 0x900005e, 0x9000058, 0x900004b, 0x9000042, 0xa00007a,
    0xa00005b, 0xa000049, 0xa000038, 0xa00002a, 0xb000040, 0xb00002c, 0xb000015, 0xc000019,
    0x900005a, 0x800002b, 0x8000029, 0x900004d, 0x9000049, 0x900003f, 0x9000038, 0xa00005c,
    0xa00004d, 0xa000042, 0xa00002f, 0xb000043, 0xb000030, 0xc000035, 0xc000024, 0xc000014,
    0x9000047, 0x8000022, 0x9000043, 0x900003c, 0x900003a, 0x9000031, 0xa000058, 0xa00004c,
    0xa000043, 0xb00006a, 0xb000047, 0xb000036, 0xb000026, 0xc000027, 0xc000017, 0xc00000f,
    0xa00006d, 0x9000035, 0x9000033, 0x900002f, 0xa00005a, 0xa000052, 0xa00003a, 0xa000039,
    0xa000030, 0xb000048, 0xb000039, 0xb000029, 0xb000017, 0xc00001b, 0xd00003e, 0xc000009,
    0xa000056, 0x900002a, 0x9000028, 0x9000025, 0xa000046, 0xa000040, 0xa000034, 0xa00002b,
    0xb000046, 0xb000037, 0xb00002a, 0xb000019, 0xc00001d, 0xc000012, 0xc00000b, 0xd00000b,
    0xb000076, 0xa000044, 0x900001e, 0xa000037, 0xa000032, 0xa00002e, 0xb00004a, 0xb000041,
    0xb000031, 0xb000027, 0xb000018, 0xb000010, 0xc000016, 0xc00000d, 0xd00000e, 0xd000007,
    0xb00005b, 0xa00002c, 0xa000027, 0xa000026, 0xa000022, 0xb00003f, 0xb000034, 0xb00002d,
    0xb00001f, 0xc000034, 0xc00001c, 0xc000013, 0xc00000e, 0xc000008, 0xd000009, 0xd000003,
    0xc00007b, 0xb00003c, 0xb00003a, 0xb000035, 0xb00002f, 0xb00002b, 0xb000020, 0xb000016,
    0xc000025, 0xc000018, 0xc000011, 0xc00000c, 0xd00000f, 0xd00000a, 0xc000002, 0xd000001,
    0xc000047, 0xb000025, 0xb000022, 0xb00001e, 0xb00001c, 0xb000014, 0xb000011, 0xc00001a,
    0xc000015, 0xc000010, 0xc00000a, 0xc000006, 0xd000008, 0xd000006, 0xd000002, 0xd000000,
};

// Table 16: 16x16 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_16[256] = {
    0x1000001, 0x4000005, 0x600000e, 0x800002c, 0x900004a, 0x900003f, 0xa00006e, 0xa00005d,
    0xb0000ac, 0xb000095, 0xb00008a, 0xc0000f2, 0xc0000e1, 0xc0000c3, 0xd000178, 0x9000011,
    0x3000003, 0x4000004, 0x600000c, 0x7000014, 0x8000023, 0x900003e, 0x9000035, 0x900002f,
    0xa000053, 0xa00004b, 0xa000044, 0xb000077, 0xc0000c9, 0xb00006b, 0xc0000cf, 0x8000009,
    0x600000f, 0x600000d, 0x7000017, 0x8000026, 0x9000043, 0x900003a, 0xa000067, 0xa00005a,
    0xb0000a1, 0xa000048, 0xb00007f, 0xb000075, 0xb00006e, 0xc0000d1, 0xc0000ce, 0x9000010,
    0x800002d, 0x7000015, 0x8000027, 0x9000045, 0x9000040, 0xa000072, 0xa000063, 0xa000057,
    0xb00009e, 0xb00008c, 0xc0000fc, 0xc0000d4, 0xc0000c7, 0xd000183, 0xd00016d, 0xa00001a,
    0x900004b, 0x8000024, 0x9000044, 0x9000041, 0xa000073, 0xa000065, 0xb0000b3, 0xb0000a4,
    0xb00009b, 0xc000108, 0xc0000f6, 0xc0000e2, 0xd00018b, 0xd00017e, 0xd00016a, 0x9000009,
    0x9000042, 0x800001e, 0x900003b, 0x9000038, 0xa000066, 0xb0000b9, 0xb0000ad, 0xc000109,
    0xb00008e, 0xc0000fd, 0xc0000e8, 0xd000190, 0xd000184, 0xd00017a, 0xe0001bd, 0xa000010,
    0xa00006f, 0x9000036, 0x9000034, 0xa000064, 0xb0000b8, 0xb0000b2, 0xb0000a0, 0xb000085,
    0xc000101, 0xc0000f4, 0xc0000e4, 0xc0000d9, 0xd000181, 0xd00016e, 0xe0002cb, 0xa00000a,
    0xa000062, 0x9000030, 0xa00005b, 0xa000058, 0xb0000a5, 0xb00009d, 0xb000094, 0xc000105,
    0xc0000f8, 0xd000197, 0xd00018d, 0xd000174, 0xd00017c, 0xf000379, 0xf000374, 0xa000008,
    0xa000055, 0xa000054, 0xa000051, 0xb00009f, 0xb00009c, 0xb00008f, 0xc000104, 0xc0000f9,
    0xd0001ab, 0xd000191, 0xd000188, 0xd00017f, 0xe0002d7, 0xe0002c9, 0xe0002c4, 0xa000007,
    0xb00009a, 0xa00004c, 0xa000049, 0xb00008d, 0xb000083, 0xc000100, 0xc0000f5, 0xd0001aa,
    0xd000196, 0xd00018a, 0xd000180, 0xe0002df, 0xd000167, 0xe0002c6, 0xd000160, 0xb00000b,
    0xb00008b, 0xb000081, 0xa000043, 0xb00007d, 0xc0000f7, 0xc0000e9, 0xc0000e5, 0xc0000db,
    0xd000189, 0xe0002e7, 0xe0002e1, 0xe0002d0, 0xf000375, 0xf000372, 0xe0001b7, 0xa000004,
    0xc0000f3, 0xb000078, 0xb000076, 0xb000073, 0xc0000e3, 0xc0000df, 0xd00018c, 0xe0002ea,
    0xe0002e6, 0xe0002e0, 0xe0002d1, 0xe0002c8, 0xe0002c2, 0xd0000df, 0xe0001b4, 0xb000006,
    0xc0000ca, 0xc0000e0, 0xc0000de, 0xc0000da, 0xc0000d8, 0xd000185, 0xd000182, 0xd00017d,
    0xd00016c, 0xf000378, 0xe0001bb, 0xe0002c3, 0xe0001b8, 0xe0001b5, 0x100006c0, 0xb000004,
    0xe0002eb, 0xc0000d3, 0xc0000d2, 0xc0000d0, 0xd000172, 0xd00017b, 0xe0002de, 0xe0002d3,
    0xe0002ca, 0x100006c7, 0xf000373, 0xf00036d, 0xf00036c, 0x11000d83, 0xf000361, 0xb000002,
    0xd000179, 0xd000171, 0xb000066, 0xc0000bb, 0xe0002d6, 0xe0002d2, 0xd000166, 0xe0002c7,
    0xe0002c5, 0xf000362, 0x100006c6, 0xf000367, 0x11000d82, 0xf000366, 0xe0001b2, 0xb000000,
    0x900000c, 0x800000a, 0x8000007, 0x900000b, 0x900000a, 0xa000011, 0xa00000b, 0xa000009,
    0xb00000d, 0xb00000c, 0xb00000a, 0xb000007, 0xb000005, 0xb000003, 0xb000001, 0x8000003,
};

// Table 24: 16x16 values, code word in the low 24 bits, its length above.
static const uint32_t huff_pairs_24[256] = {
    0x400000f, 0x400000d, 0x600002e, 0x7000050, 0x8000092, 0x9000106, 0x90000f8, 0xa0001b2,
    0xa0001aa, 0xb00029d, 0xb00028d, 0xb000289, 0xb00026d, 0xb000205, 0xc000408, 0x9000058,
    0x400000e, 0x400000c, 0x5000015, 0x6000026, 0x7000047, 0x8000082, 0x800007a, 0x90000d8,
    0x90000d1, 0x90000c6, 0xa000147, 0xa000159, 0xa00013f, 0xa000129, 0xa000117, 0x800002a,
    0x600002f, 0x5000016, 0x6000029, 0x700004a, 0x7000044, 0x8000080, 0x8000078, 0x90000dd,
    0x90000cf, 0x90000c2, 0x90000b6, 0xa000154, 0xa00013b, 0xa000127, 0xb00021d, 0x7000012,
    0x7000051, 0x6000027, 0x700004b, 0x7000046, 0x8000086, 0x800007d, 0x8000074, 0x90000dc,
    0x90000cc, 0x90000be, 0x90000b2, 0xa000145, 0xa000137, 0xa000125, 0xa00010f, 0x7000010,
    0x8000093, 0x7000048, 0x7000045, 0x8000087, 0x800007f, 0x8000076, 0x8000070, 0x90000d2,
    0x90000c8, 0x90000bc, 0xa000160, 0xa000143, 0xa000132, 0xa00011d, 0xb00021c, 0x700000e,
    0x9000107, 0x7000042, 0x8000081, 0x800007e, 0x8000077, 0x8000072, 0x90000d6, 0x90000ca,
    0x90000c0, 0x90000b4, 0xa000155, 0xa00013d, 0xa00012d, 0xa000119, 0xa000106, 0x700000c,
    0x90000f9, 0x800007b, 0x8000079, 0x8000075, 0x8000071, 0x90000d7, 0x90000ce, 0x90000c3,
    0x90000b9, 0xa00015b, 0xa00014a, 0xa000134, 0xa000123, 0xa000110, 0xb000208, 0x700000a,
    0xa0001b3, 0x8000073, 0x800006f, 0x800006d, 0x90000d3, 0x90000cb, 0x90000c4, 0x90000bb,
    0xa000161, 0xa00014c, 0xa000139, 0xa00012a, 0xa00011b, 0xb000213, 0xb00017d, 0x8000011,
    0xa0001ab, 0x90000d4, 0x90000d0, 0x90000cd, 0x90000c9, 0x90000c1, 0x90000ba, 0x90000b1,
    0x90000a9, 0xa000140, 0xa00012f, 0xa00011e, 0xa00010c, 0xb000202, 0xb000179, 0x8000010,
    0xa00014f, 0x90000c7, 0x90000c5, 0x90000bf, 0x90000bd, 0x90000b5, 0x90000ae, 0xa00014d,
    0xa000141, 0xa000131, 0xa000121, 0xa000113, 0xb000209, 0xb00017b, 0xb000173, 0x800000b,
    0xb00029c, 0x90000b8, 0x90000b7, 0x90000b3, 0x90000af, 0xa000158, 0xa00014b, 0xa00013a,
    0xa000130, 0xa000122, 0xa000115, 0xb000212, 0xb00017f, 0xb000175, 0xb00016e, 0x800000a,
    0xb00028c, 0xa00015a, 0x90000ab, 0x90000a8, 0x90000a4, 0xa00013e, 0xa000135, 0xa00012b,
    0xa00011f, 0xa000114, 0xa000107, 0xb000201, 0xb000177, 0xb000170, 0xb00016a, 0x8000006,
    0xb000288, 0xa000142, 0xa00013c, 0xa000138, 0xa000133, 0xa00012e, 0xa000124, 0xa00011c,
    0xa00010d, 0xa000105, 0xb000200, 0xb000178, 0xb000172, 0xb00016c, 0xb000167, 0x8000004,
    0xb00026c, 0xa00012c, 0xa000128, 0xa000126, 0xa000120, 0xa00011a, 0xa000111, 0xa00010a,
    0xb000203, 0xb00017c, 0xb000176, 0xb000171, 0xb00016d, 0xb000169, 0xb000165, 0x8000002,
    0xc000409, 0xa000118, 0xa000116, 0xa000112, 0xa00010b, 0xa000108, 0xa000103, 0xb00017e,
    0xb00017a, 0xb000174, 0xb00016f, 0xb00016b, 0xb000168, 0xb000166, 0xb000164, 0x8000000,
    0x800002b, 0x7000014, 0x7000013, 0x7000011, 0x700000f, 0x700000d, 0x700000b, 0x7000009,
    0x7000007, 0x7000006, 0x7000004, 0x8000007, 0x8000005, 0x8000003, 0x8000001, 0x4000003,
};

// Quadruple table A, indexed by vwxy.
static const uint32_t huff_quads_a[16] = {
    0x1000001, 0x4000005, 0x4000004, 0x5000005, 0x4000006, 0x6000005, 0x5000004, 0x6000004,
    0x4000007, 0x5000003, 0x5000006, 0x6000000, 0x5000007, 0x6000002, 0x6000003, 0x6000001,
};

// ---------------------------------------------------------------------------------------------
// Huffman lookup tables
// ---------------------------------------------------------------------------------------------

// A lookup is indexed by the next root_bits of the stream. An entry is either a leaf,
// length << 8 | x << 4 | y, or (top bit set) a link to a second-level table: offset << 8 | its
// index bits. Second-level leaves hold the length left after the root bits.
constexpr uint32_t KX_SND_MP3_HUFF_LINK = 0x80000000u;
constexpr int KX_SND_MP3_HUFF_POOL = 8192;

static uint32_t kx_snd_mp3_huff_pool[KX_SND_MP3_HUFF_POOL];
static KX_SND_MP3_HUFF kx_snd_mp3_huff_tables[32];
static uint16_t kx_snd_mp3_quad_a[64];

static const int8_t kx_snd_mp3_linbits[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                              1, 2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13};

// Fills a lookup at `lut` for `count` codes of a table `size` values wide; returns entries used.
static int kx_snd_mp3_huff_fill(uint32_t *lut, const uint32_t *codes, int size, int *root_bits)
{
    int count = size * size, max_len = 0;
    for (int i = 0; i < count; i++)
        if (static_cast<int>(codes[i] >> 24) > max_len) max_len = static_cast<int>(codes[i] >> 24);
    int root = max_len < 9 ? max_len : 9;
    int used = 1 << root;
    for (int i = 0; i < used; i++) lut[i] = 0;
    // Root entries: short codes directly, long codes by their first root bits.
    for (int i = 0; i < count; i++) {
        int len = static_cast<int>(codes[i] >> 24);
        uint32_t code = codes[i] & 0xFFFFFFu;
        uint32_t value = static_cast<uint32_t>((i / size) << 4 | (i % size));
        if (len <= root) {
            uint32_t first = code << (root - len), n = 1u << (root - len);
            for (uint32_t j = 0; j < n; j++) lut[first + j] = static_cast<uint32_t>(len) << 8 | value;
            continue;
        }
        uint32_t prefix = code >> (len - root);
        int sub_bits = len - root;
        if (lut[prefix] & KX_SND_MP3_HUFF_LINK) {
            if ((lut[prefix] & 0xFF) < static_cast<uint32_t>(sub_bits)) lut[prefix] = (lut[prefix] & ~0xFFu) | static_cast<uint32_t>(sub_bits);
        } else {
            lut[prefix] = KX_SND_MP3_HUFF_LINK | static_cast<uint32_t>(sub_bits);
        }
    }
    // Place the second-level tables, then fill them.
    for (int p = 0; p < (1 << root); p++) {
        if (!(lut[p] & KX_SND_MP3_HUFF_LINK)) continue;
        int sub_bits = static_cast<int>(lut[p] & 0xFF);
        lut[p] = KX_SND_MP3_HUFF_LINK | static_cast<uint32_t>(used) << 8 | static_cast<uint32_t>(sub_bits);
        used += 1 << sub_bits;
    }
    for (int i = 0; i < count; i++) {
        int len = static_cast<int>(codes[i] >> 24);
        if (len <= root) continue;
        uint32_t code = codes[i] & 0xFFFFFFu;
        uint32_t value = static_cast<uint32_t>((i / size) << 4 | (i % size));
        uint32_t link = lut[code >> (len - root)];
        int sub_bits = static_cast<int>(link & 0xFF);
        uint32_t *sub = lut + ((link & ~KX_SND_MP3_HUFF_LINK) >> 8);
        int rest = len - root;
        uint32_t tail = code & ((1u << rest) - 1);
        uint32_t first = tail << (sub_bits - rest), n = 1u << (sub_bits - rest);
        for (uint32_t j = 0; j < n; j++) sub[first + j] = static_cast<uint32_t>(rest) << 8 | value;
    }
    *root_bits = root;
    return used;
}

void kx_snd_mp3_huff_build()
{
    struct source { int table; const uint32_t *codes; int size; };
    static const source sources[] = {
        {1, huff_pairs_1, 2},   {2, huff_pairs_2, 3},   {3, huff_pairs_3, 3},   {5, huff_pairs_5, 4},
        {6, huff_pairs_6, 4},   {7, huff_pairs_7, 6},   {8, huff_pairs_8, 6},   {9, huff_pairs_9, 6},
        {10, huff_pairs_10, 8}, {11, huff_pairs_11, 8}, {12, huff_pairs_12, 8}, {13, huff_pairs_13, 16},
        {15, huff_pairs_15, 16}, {16, huff_pairs_16, 16}, {24, huff_pairs_24, 16},
    };
    int used = 0;
    for (const source &s : sources) {
        int root = 0;
        uint32_t *lut = kx_snd_mp3_huff_pool + used;
        used += kx_snd_mp3_huff_fill(lut, s.codes, s.size, &root);
        // Tables 16 and 24 serve the following eight table numbers with more linbits.
        int last = s.table == 16 ? 23 : s.table == 24 ? 31 : s.table;
        for (int t = s.table; t <= last; t++) kx_snd_mp3_huff_tables[t] = {lut, root, kx_snd_mp3_linbits[t]};
    }
    static_assert(KX_SND_MP3_HUFF_POOL >= 7752, "the Huffman lookups need 7752 entries");
    for (int i = 0; i < 16; i++) {
        int len = static_cast<int>(huff_quads_a[i] >> 24);
        uint32_t code = huff_quads_a[i] & 0xFF;
        for (uint32_t j = 0; j < (1u << (6 - len)); j++)
            kx_snd_mp3_quad_a[(code << (6 - len)) + j] = static_cast<uint16_t>(len << 8 | i);
    }
}

const KX_SND_MP3_HUFF *kx_snd_mp3_huff_table(int table)
{
    return kx_snd_mp3_huff_tables[table & 31].lut ? &kx_snd_mp3_huff_tables[table & 31] : nullptr;
}

const uint16_t *kx_snd_mp3_huff_quad_a()
{
    return kx_snd_mp3_quad_a;
}

// ---------------------------------------------------------------------------------------------
// Derived tables
// ---------------------------------------------------------------------------------------------

static KX_SND_MP3_TABLES kx_snd_mp3_tables_data;

static void kx_snd_mp3_tables_fill(KX_SND_MP3_TABLES *t)
{
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < 8207; i++) t->pow43[i] = static_cast<float>(std::pow(static_cast<double>(i), 4.0 / 3.0));
    for (int i = 0; i < 1024; i++) t->pow2_quarter[i] = static_cast<float>(std::exp2((i - 512) / 4.0));
    for (int k = 0; k < 18; k++)
        for (int m = 0; m < 20; m++) t->imdct_long[k][m] = m < 18 ? static_cast<float>(std::cos(pi / 18.0 * (m + 0.5) * (k + 0.5))) : 0.0f;
    for (int n = 0; n < 9; n++) {
        t->dct4_pre[n][0] = static_cast<float>(std::cos(pi * n / 18.0));
        t->dct4_pre[n][1] = static_cast<float>(std::sin(pi * n / 18.0));
        t->dct4_post[n][0] = static_cast<float>(std::cos(pi * (n + 0.25) / 18.0));
        t->dct4_post[n][1] = static_cast<float>(std::sin(pi * (n + 0.25) / 18.0));
    }
    for (int n = 0; n < 3; n++)
        for (int k = 0; k < 3; k++) {
            t->dct4_mid[n][k][0] = static_cast<float>(std::cos(2.0 * pi * n * k / 9.0));
            t->dct4_mid[n][k][1] = static_cast<float>(std::sin(2.0 * pi * n * k / 9.0));
        }
    for (int k = 0; k < 6; k++)
        for (int m = 0; m < 6; m++) t->imdct_short[k][m] = static_cast<float>(std::cos(pi / 6.0 * (m + 0.5) * (k + 0.5)));

    for (int i = 0; i < 36; i++) {
        double normal = std::sin(pi / 36.0 * (i + 0.5));
        t->window_long[0][i] = static_cast<float>(normal);
        t->window_long[2][i] = 0.0f;
        // Start window: long rise, flat top, short fall.
        double start = i < 18 ? normal : i < 24 ? 1.0 : i < 30 ? std::sin(pi / 12.0 * (i - 18 + 0.5)) : 0.0;
        // Stop window: short rise, flat top, long fall.
        double stop = i < 6 ? 0.0 : i < 12 ? std::sin(pi / 12.0 * (i - 6 + 0.5)) : i < 18 ? 1.0 : normal;
        t->window_long[1][i] = static_cast<float>(start);
        t->window_long[3][i] = static_cast<float>(stop);
    }
    for (int i = 0; i < 12; i++) t->window_short[i] = static_cast<float>(std::sin(pi / 12.0 * (i + 0.5)));

    static const double alias_c[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    for (int i = 0; i < 8; i++) {
        double s = std::sqrt(1.0 + alias_c[i] * alias_c[i]);
        t->alias_cs[i] = static_cast<float>(1.0 / s);
        t->alias_ca[i] = static_cast<float>(alias_c[i] / s);
    }
    for (int p = 0; p < 7; p++) {
        if (p == 6) {
            t->is_ratio[p][0] = 1.0f;
            t->is_ratio[p][1] = 0.0f;
            continue;
        }
        double r = std::tan(p * pi / 12.0);
        t->is_ratio[p][0] = static_cast<float>(r / (1.0 + r));
        t->is_ratio[p][1] = static_cast<float>(1.0 / (1.0 + r));
    }

    float *coef[5] = {t->dct_coef32, t->dct_coef16, t->dct_coef8, t->dct_coef4, t->dct_coef2};
    for (int level = 0, n = 32; n >= 2; level++, n /= 2)
        for (int k = 0; k < n / 2; k++) coef[level][k] = static_cast<float>(0.5 / std::cos(pi * (2 * k + 1) / (2.0 * n)));

    // Scaled to the 16-bit range: 32768 / 65536.
    for (int i = 0; i < 512; i++) {
        int32_t d;
        if (i <= 256) d = kx_snd_mp3_window_int[i];
        else d = (i % 64 == 0) ? kx_snd_mp3_window_int[512 - i] : -kx_snd_mp3_window_int[512 - i];
        t->synth_window[i] = static_cast<float>(d) * 0.5f;
    }
}

const KX_SND_MP3_TABLES *kx_snd_mp3_tables()
{
    // Built on the first call; a function-local static makes that safe from any thread.
    static const bool built = [] {
        kx_snd_mp3_tables_fill(&kx_snd_mp3_tables_data);
        kx_snd_mp3_huff_build();
        return true;
    }();
    (void)built;
    return &kx_snd_mp3_tables_data;
}
