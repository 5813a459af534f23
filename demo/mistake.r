// mistake.r : 間違いを含むサンプル (F9 でコンパイルしてみてください)
#include "util.h"

int total(int n)
{
	int sum = 0;
	int i;
	for (i = 0; i < n; i++) {
		sum = sum + i	// ここにセミコロンがありません
	}
	if (sum = 0) {
		show_message("合計はゼロです", 0);
	}
	return sum;
}
