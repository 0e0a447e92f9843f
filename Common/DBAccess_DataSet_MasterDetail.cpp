// Master/detail of the dataset component through parameters or an added WHERE condition.
#include "Common/DBAccess.h"

void TCustomDADataSet::CheckDetailLinkAfterPost() {}
