// The client library's entry points, as the client-library call table holds them.
#pragma once

// The library's handles are only ever held by pointer; the library's types appear here with the
// widths the C interface gives them on this machine (unsigned long, my_bool as char).
struct TMySqlClientEntryPoints {
  unsigned (*mysql_num_fields)(void*);
  void* (*mysql_fetch_field_direct)(void*, unsigned);
  unsigned (*mysql_field_count)(void*);
  unsigned long long (*mysql_affected_rows)(void*);
  unsigned long long (*mysql_insert_id)(void*);
  unsigned (*mysql_errno)(void*);
  const char* (*mysql_error)(void*);
  const char* (*mysql_info)(void*);
  unsigned long (*mysql_thread_id)(void*);
  const char* (*mysql_character_set_name)(void*);
  void* (*mysql_init)(void*);
  char (*mysql_ssl_set)(void*, const char*, const char*, const char*, const char*, const char*);
  void* (*mysql_real_connect)(void*, const char*, const char*, const char*, const char*, unsigned,
                              const char*, unsigned long);
  void (*mysql_close)(void*);
  int (*mysql_select_db)(void*, const char*);
  int (*mysql_real_query)(void*, const char*, unsigned long);
  int (*mysql_kill)(void*, unsigned long);
  int (*mysql_ping)(void*);
  const char* (*mysql_get_server_info)(void*);
  const char* (*mysql_get_client_info)();
  const char* (*mysql_get_host_info)(void*);
  void* (*mysql_use_result)(void*);
  int (*mysql_options)(void*, int, const void*);
  int (*mysql_options_str)(void*, int, const void*);  // the same entry, for text values
  void (*mysql_free_result)(void*);
  char** (*mysql_fetch_row)(void*);
  unsigned long* (*mysql_fetch_lengths)(void*);
  int (*mysql_server_init)(int, char**, char**);
  void (*mysql_server_end)();
  void* (*mysql_stmt_init)(void*);
  int (*mysql_stmt_prepare)(void*, const char*, unsigned long);
  int (*mysql_stmt_execute)(void*);
  unsigned long (*mysql_stmt_param_count)(void*);
  char (*mysql_stmt_bind_param)(void*, void*);
  char (*mysql_stmt_bind_result)(void*, void*);
  unsigned (*mysql_stmt_field_count)(void*);
  char (*mysql_stmt_close)(void*);
  char (*mysql_stmt_free_result)(void*);
  unsigned (*mysql_stmt_errno)(void*);
  const char* (*mysql_stmt_error)(void*);
  int (*mysql_stmt_fetch)(void*);
  int (*mysql_stmt_fetch_column)(void*, void*, unsigned, unsigned long);
  char (*mysql_stmt_send_long_data)(void*, unsigned, const char*, unsigned long);
  int (*mysql_stmt_prepare_result)(void*);  // looked up, never called
  void* (*mysql_stmt_result_metadata)(void*);
  void* (*mysql_stmt_param_metadata)(void*);
  unsigned long long (*mysql_stmt_affected_rows)(void*);
  int (*mysql_stmt_store_result)(void*);  // looked up, never called
  char (*mysql_more_results)(void*);
  int (*mysql_next_result)(void*);
};
