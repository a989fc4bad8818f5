# The firmware jobs: the modules each project ticks. Used by the footprint benchmark
# and the emulated-hardware tests (the same generated projects, the same glue).
set(EMU_JOBS sms smsread httplte http2g mqtt)
set(EMU_BENCH_JOBS sms httplte http2g mqtt)
# Settings a developer may change, measured as variants of a benchmark job (the same
# project built with one more define): <variant> -> its job, define and title.
set(EMU_BENCH_VARIANTS sms_report_times_0)
set(EMU_VARIANT_JOB_sms_report_times_0 sms)
set(EMU_VARIANT_DEFINE_sms_report_times_0 GSM_SMS_SEND_REPORT_TIMES=0)
set(EMU_CORE_MODULES Power Prompt BasicComms NetworkRegistration)
set(EMU_MODULES_sms SMS_Send)
set(EMU_MODULES_smsread SMS_Read)
set(EMU_MODULES_httplte InternetConnection_SIMCom HTTP_Client_SIMCom)
set(EMU_MODULES_http2g InternetConnection_SIMCom2G HTTP_Client_SIMCom)
set(EMU_MODULES_mqtt InternetConnection_SIMCom MQTT_Client_SIMCom)
set(EMU_TITLE_sms "send one SMS after registration")
set(EMU_TITLE_smsread "receive SMS")
set(EMU_TITLE_httplte "HTTP GET over LTE, body to serial")
set(EMU_TITLE_http2g "HTTP GET over 2G, body to serial")
set(EMU_TITLE_mqtt "MQTT over LTE: connect, subscribe, publish, print")
set(EMU_TITLE_sms_report_times_0 "  the same, report times on request (*)")
set(EMU_NOTE_sms_report_times_0 "GSM_SMS_SEND_REPORT_TIMES 0: a delivery report's numeric times are
   computed only when the handler calls gsmSmsSendParseDeliveryReportTimes()")
# Configured buffers: Prompt 256, echo cancellation 64, circular Tx 128 and Rx 256.
set(EMU_CONFIGURED_BUFFERS 704)
