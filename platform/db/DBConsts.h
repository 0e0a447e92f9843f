// The messages of the data-set framework, in the toolchain's English wording. "%s", "%d" and
// "%g" are filled by Format.
#pragma once

// Fields and field definitions.
inline constexpr char16_t SInvalidFieldSize[] = u"Invalid field size";
inline constexpr char16_t SInvalidFieldKind[] = u"Invalid FieldKind";
inline constexpr char16_t SUnknownFieldType[] = u"Field '%s' is of an unknown type";
inline constexpr char16_t SFieldNameMissing[] = u"Field name missing";
inline constexpr char16_t SDuplicateFieldName[] = u"Duplicate field name '%s'";
inline constexpr char16_t SFieldNotFound[] = u"Field '%s' not found";
inline constexpr char16_t SFieldAccessError[] = u"Cannot access field '%s' as type %s";
inline constexpr char16_t SFieldValueError[] = u"Invalid value for field '%s'";
inline constexpr char16_t SFieldRangeError[] =
    u"%g is not a valid value for field '%s'. The allowed range is %g to %g";
inline constexpr char16_t SBcdFieldRangeError[] =
    u"%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr char16_t SInvalidIntegerValue[] =
    u"'%s' is not a valid integer value for field '%s'";
inline constexpr char16_t SInvalidBoolValue[] =
    u"'%s' is not a valid boolean value for field '%s'";
inline constexpr char16_t SInvalidFloatValue[] =
    u"'%s' is not a valid floating point value for field '%s'";
inline constexpr char16_t SFieldTypeMismatch[] =
    u"Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr char16_t SFieldSizeMismatch[] =
    u"Size mismatch for field '%s', expecting: %d actual: %d";
inline constexpr char16_t SInvalidVarByteArray[] =
    u"Invalid variant type or size for field '%s'";
inline constexpr char16_t SFieldOutOfRange[] = u"Value of field '%s' is out of range";
inline constexpr char16_t SFieldRequired[] = u"Field '%s' must have a value";
inline constexpr char16_t SDataSetMissing[] = u"Field '%s' has no dataset";
inline constexpr char16_t SInvalidCalcType[] =
    u"Field '%s' cannot be a calculated or lookup field";
inline constexpr char16_t SFieldReadOnly[] = u"Field '%s' cannot be modified";
inline constexpr char16_t SFieldIndexError[] = u"Field index out of range";
inline constexpr char16_t SLookupInfoError[] = u"Lookup information for field '%s' is incomplete";
inline constexpr char16_t SFieldDefNotFound[] = u"Field definition '%s' not found";
inline constexpr char16_t SDuplicateName[] = u"Duplicate name '%s' in %s";
inline constexpr char16_t SBadFieldType[] = u"Field '%s' is of an unsupported type";

// Indexes.
inline constexpr char16_t SNoFieldIndexes[] = u"No index currently active";
inline constexpr char16_t SIndexNotFound[] = u"Index '%s' not found";
inline constexpr char16_t SNoIndexForFields[] = u"No index for fields '%s'";
inline constexpr char16_t SDuplicateIndexName[] = u"Duplicate index name '%s'";

// Datasets.
inline constexpr char16_t SDataSetOpen[] = u"Cannot perform this operation on an open dataset";
inline constexpr char16_t SNotEditing[] = u"Dataset not in edit or insert mode";
inline constexpr char16_t SDataSetClosed[] = u"Cannot perform this operation on a closed dataset";
inline constexpr char16_t SDataSetEmpty[] = u"Cannot perform this operation on an empty dataset";
inline constexpr char16_t SDataSetReadOnly[] = u"Cannot modify a read-only dataset";
inline constexpr char16_t SDataSetUnidirectional[] =
    u"Operation not allowed on a unidirectional dataset";
inline constexpr char16_t SRecordNotFound[] = u"Record not found";
inline constexpr char16_t SCircularDataLink[] = u"Circular datalinks are not allowed";
inline constexpr char16_t SDataSourceChange[] = u"DataSource cannot be changed";
inline constexpr char16_t SRecordIndexError[] = u"Record index out of range (%d)";
inline constexpr char16_t SOperationNotSupported[] = u"Operation not supported";

// Parameters.
inline constexpr char16_t SParameterNotFound[] = u"Parameter '%s' not found";
inline constexpr char16_t SParamTooBig[] =
    u"Parameter '%s', cannot save data larger than %d bytes";
inline constexpr char16_t SBadParamType[] = u"Parameter '%s' is of an unsupported type";

// Connections.
inline constexpr char16_t SLoginError[] = u"Cannot connect to database '%s'";
inline constexpr char16_t SConnectionNameMissing[] = u"Connection name missing";

// The words Boolean fields show.
inline constexpr char16_t STextTrue[] = u"True";
inline constexpr char16_t STextFalse[] = u"False";
