// The default field class of each field type.
#include "platform/db/FieldsBinary.h"
#include "platform/db/FieldsDateTime.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/db/FieldsObject.h"
#include "platform/db/FieldsText.h"

TFieldClass DefaultFieldClass(TFieldType type) {
  switch (type) {
    case ftString:
    case ftFixedChar:
      return &CreateFieldOf<TStringField>;
    case ftWideString:
    case ftFixedWideChar:
      return &CreateFieldOf<TWideStringField>;
    case ftGuid:
      return &CreateFieldOf<TGuidField>;
    case ftSmallint:
      return &CreateFieldOf<TSmallintField>;
    case ftInteger:
      return &CreateFieldOf<TIntegerField>;
    case ftWord:
      return &CreateFieldOf<TWordField>;
    case ftAutoInc:
      return &CreateFieldOf<TAutoIncField>;
    case ftLargeint:
      return &CreateFieldOf<TLargeintField>;
    case ftFloat:
      return &CreateFieldOf<TFloatField>;
    case ftCurrency:
      return &CreateFieldOf<TCurrencyField>;
    case ftBCD:
      return &CreateFieldOf<TBCDField>;
    case ftFMTBcd:
      return &CreateFieldOf<TFMTBCDField>;
    case ftBoolean:
      return &CreateFieldOf<TBooleanField>;
    case ftDate:
      return &CreateFieldOf<TDateField>;
    case ftTime:
      return &CreateFieldOf<TTimeField>;
    case ftDateTime:
      return &CreateFieldOf<TDateTimeField>;
    case ftBytes:
      return &CreateFieldOf<TBytesField>;
    case ftVarBytes:
      return &CreateFieldOf<TVarBytesField>;
    case ftBlob:
    case ftTypedBinary:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftOraBlob:
      return &CreateFieldOf<TBlobField>;
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob:
      return &CreateFieldOf<TMemoField>;
    case ftWideMemo:
      return &CreateFieldOf<TWideMemoField>;
    case ftGraphic:
      return &CreateFieldOf<TGraphicField>;
    case ftVariant:
      return &CreateFieldOf<TVariantField>;
    case ftADT:
      return &CreateFieldOf<TADTField>;
    case ftArray:
      return &CreateFieldOf<TArrayField>;
    case ftReference:
      return &CreateFieldOf<TReferenceField>;
    case ftDataSet:
      return &CreateFieldOf<TDataSetField>;
    default:
      return nullptr;
  }
}
